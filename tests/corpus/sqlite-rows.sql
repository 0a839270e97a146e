-- Rows of the SQLite source, on sqlite-schema.sql: the values of mariadb-corpus.sql that
-- SQLite stores as they are. Text holds no NUL here: the SQLite ODBC driver reads text up
-- to the first NUL.

INSERT INTO bidstatus VALUES
  ('B1001', date('now'), 'open'),
  ('B1002', date('now', '-2 years'), 'awarded'),
  ('X\', date('now'), NULL),
  ('\'') OR 1=1 #', date('now'), 'cancelled'),
  ('O''Brien', date('now'), 'open');

INSERT INTO bid_0_victim VALUES (1, 'still here');

INSERT INTO bid_items VALUES
  (1, 'B1001', 'steel beams', 12, 1499.95, '2024-01-15 08:30:00', '2024-01-16 09:00:00', '2024-01-16 09:00:00.125'),
  (2, 'B1001', 'bolts, M12', 1, 0, '2024-01-15 08:31:00', '2024-01-15 08:31:00', NULL),
  (3, 'B1002', 'it''s "quoted"', 3, -12.5, '2023-06-01 00:00:00', '2023-06-02 00:00:00', NULL),
  (4, 'X\', 'back\slash \n not a newline', 4, 10, '2024-02-29 23:59:59', '2024-02-29 23:59:59', '2024-02-29 23:59:59.999'),
  (5, 'X', 'near miss of X\', 5, 11, '2024-03-01 00:00:00', '2024-03-01 00:00:00', NULL),
  (6, '\'') OR 1=1 #', 'link that looks like SQL', 6, 12, '2024-03-02 10:00:00', '2024-03-02 10:00:00', NULL),
  (7, 'O''Brien', 'Grüße, € and 日本語 😀', 7, 13, '2024-03-03 10:00:00', '2024-03-03 10:00:00', NULL),
  (8, 'B0000', 'no status', 8, NULL, '2024-03-04 10:00:00', '2024-03-04 10:00:00', NULL),
  (9, 'B1001', '', 9, 99999999.99, '2024-03-05 10:00:00', '2024-03-05 10:00:00', NULL);

INSERT INTO bid_tags VALUES
  (1, 'urgent', 'needs an answer this week', '2024-01-01', 1),
  (2, 'select', 'a reserved word as a value', NULL, 2),
  (3, 'from', 'another one', '1999-12-31', -3);

INSERT INTO bid_item_tags VALUES
  (1, 1, 'B1001', '2024-01-15 08:30:00'),
  (1, 2, 'B1001', '2024-01-15 08:30:01'),
  (2, 1, 'B1001', '2024-01-15 08:30:02'),
  (4, 3, 'X\', '2024-02-29 12:00:00'),
  (7, 2, 'O''Brien', '2024-03-03 12:00:00');

INSERT INTO bid_enums VALUES
  (1, 'open', 'fragile,hazmat', 'a', 'C1', 'x'),
  (2, NULL, NULL, NULL, NULL, 'y'),
  (3, 'void', '', NULL, NULL, 'x'),
  (4, 'closed', 'fragile,oversize,hazmat', 'b', '', 'y');

INSERT INTO bid_counters VALUES
  (255, 255, 65535, 16777215, 4294967295, '18446744073709551615', 127, 32767, 8388607, 2147483647, 9223372036854775807),
  (0, 0, 0, 0, 0, '0', -128, -32768, -8388608, -2147483648, -9223372036854775808),
  (1, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);

INSERT INTO bid_amounts VALUES
  (1, '12345678901234567890.1234567890', 99999999.99, '99999999999999.9999', 0.1),
  (2, '-99999999999999999999.9999999999', 0, '-99999999999999.9999', -2.5),
  (3, '0.0000000001', 0.01, '0.0001', 1e300),
  (4, NULL, NULL, NULL, NULL);

INSERT INTO bid_bits VALUES
  (1, 1, 255, 2024, x'00ff1000', x'00ff10', x'00ff10'),
  (2, 0, 0, 1901, x'00000000', x'', x''),
  (3, 0, 1, 2155, x'20202020', x'20', x'0d0a00'),
  (4, NULL, NULL, NULL, NULL, NULL, NULL);

INSERT INTO bid_blob_big VALUES
  (1, zeroblob(102400), NULL),
  (2, x'00ff10', printf('%.*c', 20000, 'x') || 'END'),
  (3, x'', ''),
  (4, NULL, 'short');

INSERT INTO bid_texts VALUES
  (1, 10, 'B1001', '  padded  ', '  leading and trailing  ', 'A'),
  (2, 20, 'B1001', 'line1' || char(13, 10) || 'line2', 'cr lf' || char(13, 10) || 'in a long text' || char(13, 10), 'B'),
  (3, 30, 'B1002', 'C:\temp\', '\\server\share', 'C'),
  (5, 50, 'O''Brien', 'it''s "quoted"', '''); DROP TABLE bid_0_victim; --', 'E'),
  (6, 60, 'B1001', 'Grüße € 日本語 😀', 'ÀÉÎÕÜ ß ñ', 'F'),
  (7, 70, 'B1001', NULL, NULL, NULL),
  (8, 80, 'B1001', '', '', ''),
  (9, 90, NULL, 'tab' || char(9) || 'here', 'only LF' || char(10) || 'here' || char(10), ' G'),
  (10, 5, 'B1001', ' ', printf('%.*c', 30000, 'y') || 'END', 'H');

INSERT INTO bid_defaults (id, made, day) VALUES (1, '2024-01-01 00:00:00', '2024-01-01');
INSERT INTO bid_defaults VALUES (2, NULL, NULL, NULL, NULL, '2024-01-02 00:00:00', NULL, NULL);

INSERT INTO bid_supplier_contract_amendment_history VALUES
  (5000000000, 'SC-1', '2024-01-31', '2024-02-01 12:00:00'),
  (5000000001, 'SC-2', NULL, '2024-02-02 12:00:00');

INSERT INTO bid_supplier_contract_amendment_history_archive VALUES (1, 'SC-0');

INSERT INTO bid_a VALUES (1, 'in bid_a');
INSERT INTO bidxa VALUES (1, 'in bidxa', 7), (2, 'second', NULL);

INSERT INTO bid_documents VALUES
  (1, 'B1001', 'Tender notice', 'The full tender text.', '2024-01-10 10:00:00'),
  (2, 'B1002', 'Award', NULL, '2023-06-10 10:00:00'),
  (3, 'X\', 'Backslash bid', 'ends in a backslash \', '2024-02-10 10:00:00');

INSERT INTO bid_schedule VALUES
  (1, '2024-02-29', '23:59:59', '2024-02-29 23:59:59', '2024-02-29 23:59:59.123456'),
  (2, '1000-01-01', '00:00:00', '1970-01-01 00:00:01', '2038-01-19 03:14:08.000001'),
  (3, NULL, NULL, NULL, NULL);
