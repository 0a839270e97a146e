-- A bid database shaped the way people write MariaDB schemas, used as the source of the
-- round-trip tests. Every table name begins with "bid". Rows hold the values that are
-- easy to lose on the way: NULL beside empty text, blanks at both ends, CR LF, backslashes,
-- NUL, quotes, UTF-8, zero bytes in blobs, unsigned limits, wide decimals.
--
-- Bid dates are relative to today, so that an export "since this month" has a known
-- answer: created = CURDATE() is always inside it, two years back never is.

SET NAMES utf8mb4;

-- The month query reads bid_link from here. Some links hold a quote or a backslash, which
-- must never change the meaning of the filter built from them.
CREATE TABLE bidstatus (
  bid_link varchar(40) NOT NULL,
  created date NOT NULL,
  state enum('open','awarded','cancelled') DEFAULT 'open',
  PRIMARY KEY (bid_link),
  KEY ix_bidstatus_created (created)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bidstatus VALUES
  ('B1001', CURDATE(), 'open'),
  ('B1002', CURDATE() - INTERVAL 2 YEAR, 'awarded'),
  ('X\\', CURDATE(), NULL),
  ('\\\') OR 1=1 #', CURDATE(), 'cancelled'),
  ('O''Brien', CURDATE(), 'open');

-- The injection target of bid_defaults below: it must survive every load.
CREATE TABLE bid_0_victim (
  id int NOT NULL,
  note varchar(20) NOT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_0_victim VALUES (1, 'still here');

CREATE TABLE bid_items (
  recno int unsigned NOT NULL AUTO_INCREMENT,
  bid_link varchar(40) NOT NULL,
  descr varchar(200) DEFAULT NULL,
  qty smallint NOT NULL DEFAULT 1,
  price decimal(12,2) DEFAULT '0.00',
  created timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP,
  changed timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  checked datetime(3) DEFAULT NULL ON UPDATE current_timestamp(3),
  PRIMARY KEY (recno),
  KEY ix_bid_link (bid_link),
  KEY ix_items_recent (created DESC, recno)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_items VALUES
  (1, 'B1001', 'steel beams', 12, 1499.95, '2024-01-15 08:30:00', '2024-01-16 09:00:00', '2024-01-16 09:00:00.125'),
  (2, 'B1001', 'bolts, M12', 1, 0.00, '2024-01-15 08:31:00', '2024-01-15 08:31:00', NULL),
  (3, 'B1002', 'it''s "quoted"', 3, -12.50, '2023-06-01 00:00:00', '2023-06-02 00:00:00', NULL),
  (4, 'X\\', 'back\\slash \\n not a newline', 4, 10.00, '2024-02-29 23:59:59', '2024-02-29 23:59:59', '2024-02-29 23:59:59.999'),
  (5, 'X', 'near miss of X\\', 5, 11.00, '2024-03-01 00:00:00', '2024-03-01 00:00:00', NULL),
  (6, '\\\') OR 1=1 #', 'link that looks like SQL', 6, 12.00, '2024-03-02 10:00:00', '2024-03-02 10:00:00', NULL),
  (7, 'O''Brien', 'Grüße, € and 日本語 😀', 7, 13.00, '2024-03-03 10:00:00', '2024-03-03 10:00:00', NULL),
  (8, 'B0000', 'no status', 8, NULL, '2024-03-04 10:00:00', '2024-03-04 10:00:00', NULL),
  (9, 'B1001', '', 9, 99999999.99, '2024-03-05 10:00:00', '2024-03-05 10:00:00', NULL);

-- Many-to-many: items and tags, the link table keyed by both ids with an index on each.
CREATE TABLE bid_tags (
  tag_id int unsigned NOT NULL AUTO_INCREMENT,
  `key` varchar(30) NOT NULL,
  `desc` varchar(100) DEFAULT NULL,
  `date` date DEFAULT NULL,
  `order` int NOT NULL DEFAULT 0,
  PRIMARY KEY (tag_id),
  UNIQUE KEY ux_tags_key (`key`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_tags VALUES
  (1, 'urgent', 'needs an answer this week', '2024-01-01', 1),
  (2, 'select', 'a reserved word as a value', NULL, 2),
  (3, 'from', 'another one', '1999-12-31', -3);

CREATE TABLE bid_item_tags (
  item_id int unsigned NOT NULL,
  tag_id int unsigned NOT NULL,
  bid_link varchar(40) NOT NULL,
  added datetime NOT NULL DEFAULT current_timestamp(),
  PRIMARY KEY (item_id, tag_id),
  KEY ix_item_tags_item (item_id),
  KEY ix_item_tags_tag (tag_id),
  KEY ix_bid_link (bid_link),
  CONSTRAINT fk_item_tags_item FOREIGN KEY (item_id) REFERENCES bid_items (recno),
  CONSTRAINT fk_item_tags_tag FOREIGN KEY (tag_id) REFERENCES bid_tags (tag_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_item_tags VALUES
  (1, 1, 'B1001', '2024-01-15 08:30:00'),
  (1, 2, 'B1001', '2024-01-15 08:30:01'),
  (2, 1, 'B1001', '2024-01-15 08:30:02'),
  (4, 3, 'X\\', '2024-02-29 12:00:00'),
  (7, 2, 'O''Brien', '2024-03-03 12:00:00');

-- Enum and set columns with NULLs; two NULLs under each unique key.
CREATE TABLE bid_enums (
  id int NOT NULL,
  status enum('open','closed','void') DEFAULT NULL,
  flags set('fragile','oversize','hazmat') DEFAULT NULL,
  grade enum('a','b','c') DEFAULT NULL,
  code varchar(10) DEFAULT NULL,
  kind enum('x','y') NOT NULL DEFAULT 'x',
  PRIMARY KEY (id),
  UNIQUE KEY ux_enums_grade (grade),
  UNIQUE KEY ux_enums_code (code)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_enums VALUES
  (1, 'open', 'fragile,hazmat', 'a', 'C1', 'x'),
  (2, NULL, NULL, NULL, NULL, 'y'),
  (3, 'void', '', NULL, NULL, 'x'),
  (4, 'closed', 'fragile,oversize,hazmat', 'b', '', 'y');

-- Unsigned and signed counters at their limits.
CREATE TABLE bid_counters (
  id tinyint unsigned NOT NULL,
  u8 tinyint unsigned DEFAULT NULL,
  u16 smallint unsigned DEFAULT NULL,
  u24 mediumint unsigned DEFAULT NULL,
  u32 int unsigned DEFAULT NULL,
  u64 bigint unsigned DEFAULT NULL,
  s8 tinyint DEFAULT NULL,
  s16 smallint DEFAULT NULL,
  s24 mediumint DEFAULT NULL,
  s32 int DEFAULT NULL,
  s64 bigint DEFAULT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_counters VALUES
  (255, 255, 65535, 16777215, 4294967295, 18446744073709551615, 127, 32767, 8388607, 2147483647, 9223372036854775807),
  (0, 0, 0, 0, 0, 0, -128, -32768, -8388608, -2147483648, -9223372036854775808),
  (1, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),
  (2, 254, 65534, 16777214, 4294967294, 18446744073709551614, -1, -1, -1, -1, -1);

-- Wide and unsigned decimals, and doubles that survive a text round trip.
CREATE TABLE bid_amounts (
  id int NOT NULL,
  wide decimal(30,10) DEFAULT NULL,
  price decimal(10,2) unsigned DEFAULT NULL,
  rate decimal(18,4) DEFAULT NULL,
  ratio double DEFAULT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_amounts VALUES
  (1, 12345678901234567890.1234567890, 99999999.99, 99999999999999.9999, 0.1),
  (2, -99999999999999999999.9999999999, 0.00, -99999999999999.9999, -2.5),
  (3, 0.0000000001, 0.01, 0.0001, 1e300),
  (4, NULL, NULL, NULL, NULL),
  (5, 0, 12.30, 0, 0);

-- Bits, years and binary strings.
CREATE TABLE bid_bits (
  id int NOT NULL,
  active bit(1) DEFAULT NULL,
  mask bit(8) DEFAULT NULL,
  model_year year(4) DEFAULT NULL,
  code binary(4) DEFAULT NULL,
  token varbinary(16) DEFAULT NULL,
  image blob DEFAULT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_bits VALUES
  (1, b'1', b'11111111', 2024, x'00ff1000', x'00ff10', x'00ff10'),
  (2, b'0', b'00000000', 1901, x'00000000', x'', x''),
  (3, b'0', b'00000001', 2155, x'20202020', x'20', x'0d0a00'),
  (4, NULL, NULL, NULL, NULL, NULL, NULL);

-- Large values: 100 KB of zero bytes and a long text.
CREATE TABLE bid_blob_big (
  id int NOT NULL,
  payload longblob,
  story longtext,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_blob_big VALUES
  (1, REPEAT(x'00', 102400), NULL),
  (2, x'00ff10', CONCAT(REPEAT('0123456789abcdef', 1250), 'END')),
  (3, x'', ''),
  (4, NULL, 'short');

-- Text as people type it.
CREATE TABLE bid_texts (
  id int NOT NULL,
  recno int NOT NULL,
  bid_link varchar(40) DEFAULT NULL,
  title varchar(100) DEFAULT NULL,
  body mediumtext,
  code char(10) DEFAULT NULL,
  PRIMARY KEY (id),
  KEY ix_bid_link (bid_link)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_texts VALUES
  (1, 10, 'B1001', '  padded  ', '  leading and trailing  ', 'A'),
  (2, 20, 'B1001', 'line1\r\nline2', 'cr lf\r\nin a long text\r\n', 'B'),
  (3, 30, 'B1002', 'C:\\temp\\', '\\\\server\\share', 'C'),
  (4, 40, 'X\\', 'nul\0inside', 'nul\0in\0body', 'D'),
  (5, 50, 'O''Brien', 'it''s "quoted"', '''); DROP TABLE bid_0_victim; --', 'E'),
  (6, 60, 'B1001', 'Grüße € 日本語 😀', 'ÀÉÎÕÜ ß ñ', 'F'),
  (7, 70, 'B1001', NULL, NULL, NULL),
  (8, 80, 'B1001', '', '', ''),
  (9, 90, NULL, 'tab\there', 'only LF\nhere\n', ' G'),
  (10, 5, 'B1001', ' ', CONCAT(REPEAT('long text ', 3000), 'END'), 'H');

-- Defaults with quotes, one of them an injection attempt, and expression defaults.
CREATE TABLE bid_defaults (
  id int NOT NULL AUTO_INCREMENT,
  note varchar(60) DEFAULT 'it''s',
  trap varchar(60) DEFAULT ''');DROP TABLE bid_0_victim;--',
  path varchar(60) DEFAULT 'C:\\dir\\',
  dq varchar(60) DEFAULT 'say "hi"',
  made timestamp NOT NULL DEFAULT current_timestamp(),
  day date DEFAULT curdate(),
  amount decimal(8,2) DEFAULT 1.50,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_defaults (id, made, day) VALUES (1, '2024-01-01 00:00:00', '2024-01-01');
INSERT INTO bid_defaults VALUES (2, NULL, NULL, NULL, NULL, '2024-01-02 00:00:00', NULL, NULL);

-- Names past Firebird's 31 bytes, an auto-increment key beyond 32 bits and a timestamp
-- column: the generator and trigger names are built from table and column names.
CREATE TABLE bid_supplier_contract_amendment_history (
  amendment_history_identifier bigint unsigned NOT NULL AUTO_INCREMENT,
  supplier_contract_reference_code varchar(40) NOT NULL,
  amendment_effective_date_of_contract_change date DEFAULT NULL,
  last_modified_timestamp_of_the_amendment timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (amendment_history_identifier),
  KEY ix_supplier_contract_amendment_reference (supplier_contract_reference_code)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_supplier_contract_amendment_history VALUES
  (5000000000, 'SC-1', '2024-01-31', '2024-02-01 12:00:00'),
  (5000000001, 'SC-2', NULL, '2024-02-02 12:00:00');

-- A second table whose long name shares its first 31 bytes with the one above.
CREATE TABLE bid_supplier_contract_amendment_history_archive (
  amendment_history_identifier bigint unsigned NOT NULL,
  supplier_contract_reference_code varchar(40) NOT NULL,
  PRIMARY KEY (amendment_history_identifier),
  KEY ix_supplier_contract_amendment_reference (supplier_contract_reference_code)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_supplier_contract_amendment_history_archive VALUES (1, 'SC-0');

-- An underscore is a wildcard in catalogue search patterns: bid_a must not pick up the
-- columns of bidxa.
CREATE TABLE bid_a (
  id int NOT NULL,
  a_only varchar(10) DEFAULT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_a VALUES (1, 'in bid_a');

CREATE TABLE bidxa (
  id int NOT NULL,
  x_only varchar(10) DEFAULT NULL,
  x_extra int DEFAULT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bidxa VALUES (1, 'in bidxa', 7), (2, 'second', NULL);

-- Full-text search beside plain and descending indexes.
CREATE TABLE bid_documents (
  doc_id int NOT NULL AUTO_INCREMENT,
  bid_link varchar(40) NOT NULL,
  title varchar(200) NOT NULL,
  content text,
  filed_at datetime NOT NULL,
  PRIMARY KEY (doc_id),
  KEY ix_bid_link (bid_link),
  KEY ix_documents_filed (filed_at DESC),
  FULLTEXT KEY ft_documents (title, content)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_documents VALUES
  (1, 'B1001', 'Tender notice', 'The full tender text.', '2024-01-10 10:00:00'),
  (2, 'B1002', 'Award', NULL, '2023-06-10 10:00:00'),
  (3, 'X\\', 'Backslash bid', 'ends in a backslash \\', '2024-02-10 10:00:00');

-- Dates and times of every kind.
CREATE TABLE bid_schedule (
  id int NOT NULL,
  due date DEFAULT NULL,
  at_time time DEFAULT NULL,
  stamp datetime DEFAULT NULL,
  precise datetime(6) DEFAULT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO bid_schedule VALUES
  (1, '2024-02-29', '23:59:59', '2024-02-29 23:59:59', '2024-02-29 23:59:59.123456'),
  (2, '1000-01-01', '00:00:00', '1970-01-01 00:00:01', '2038-01-19 03:14:08.000001'),
  (3, NULL, NULL, NULL, NULL);
