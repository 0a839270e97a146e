#!/usr/bin/env bash
# Creates the demo SQLite database: a bidstatus table with creation dates spread over the
# last months (relative to today), bid tables with bid_link and recno, one bid table
# without them, and tables that are not bid tables. A few thousand rows with quotes,
# backslashes, UTF-8 text and NULLs.
#
#   demo/make-demo-db.sh FILE      (an existing FILE is replaced)
set -euo pipefail
db=${1:?usage: make-demo-db.sh FILE}
rm -f "$db"
sqlite3 -bail "$db" >/dev/null <<'SQL'
PRAGMA journal_mode = OFF;
BEGIN;

CREATE TABLE bidstatus (
  bid_link varchar(20) PRIMARY KEY,
  created date NOT NULL,
  status varchar(12),
  owner varchar(40)
);
-- 80 bids, one every 3 days back from today: about 8 months.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 80)
INSERT INTO bidstatus
SELECT 'B' || (1000 + i),
       date('now', '-' || ((i - 1) * 3) || ' days'),
       CASE i % 4 WHEN 0 THEN 'open' WHEN 1 THEN 'won' WHEN 2 THEN 'lost' ELSE NULL END,
       CASE i % 5 WHEN 0 THEN 'Zoë Østergård' WHEN 1 THEN 'O''Brien' WHEN 2 THEN 'J. Müller'
                  WHEN 3 THEN NULL ELSE 'Ana Núñez' END
FROM n;
-- A bid link with a quote in it, created this week.
INSERT INTO bidstatus VALUES ('B''Q1', date('now', '-2 days'), 'open', 'Quote Test');

CREATE TABLE bid_items (
  recno integer PRIMARY KEY,
  bid_link varchar(20) NOT NULL,
  item varchar(60),
  qty integer,
  price decimal(10,2),
  note text
);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2400)
INSERT INTO bid_items
SELECT i,
       CASE WHEN i % 97 = 0 THEN 'B''Q1' ELSE 'B' || (1001 + (i % 80)) END,
       CASE i % 6 WHEN 0 THEN 'Steel pipe 3/4" x 6''' WHEN 1 THEN 'Kabelschuh Ø 6 mm²'
                  WHEN 2 THEN 'Valve, brass' WHEN 3 THEN 'Path C:\temp\new' WHEN 4 THEN '日本語の部品'
                  ELSE 'Gasket' END,
       (i % 25) + 1,
       round(((i * 37) % 10000) / 100.0, 2),
       CASE WHEN i % 7 = 0 THEN NULL WHEN i % 11 = 0 THEN 'It''s "urgent" \ handle with care'
            ELSE 'Line ' || i END
FROM n;

CREATE TABLE bid_documents (
  recno integer PRIMARY KEY,
  bid_link varchar(20) NOT NULL,
  title varchar(80),
  body text
);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600)
INSERT INTO bid_documents
SELECT i, 'B' || (1001 + (i % 80)),
       'Document ' || i || CASE i % 3 WHEN 0 THEN ' – Übersicht' WHEN 1 THEN ' (draft)' ELSE '' END,
       CASE WHEN i % 9 = 0 THEN NULL
            ELSE 'Terms for bid ' || (1001 + (i % 80)) || ': 30% down, \n stays literal, café €' END
FROM n;

CREATE TABLE bid_history (
  recno integer NOT NULL,
  bid_link varchar(20) NOT NULL,
  changed date,
  status varchar(12)
);
CREATE INDEX bid_history_link ON bid_history (bid_link, recno);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 900)
INSERT INTO bid_history
SELECT i, 'B' || (1001 + (i % 80)), date('now', '-' || (i % 240) || ' days'),
       CASE i % 3 WHEN 0 THEN 'opened' WHEN 1 THEN 'revised' ELSE NULL END
FROM n;

-- A bid table without bid_link and recno: always exported whole.
CREATE TABLE bid_suppliers (
  supplier_id integer PRIMARY KEY,
  name varchar(60) NOT NULL,
  country varchar(40)
);
INSERT INTO bid_suppliers VALUES
  (1, 'Acme Tools', 'US'), (2, 'Böhm & Söhne', 'DE'), (3, 'O''Neill Supply', 'IE'),
  (4, 'Šťastný s.r.o.', 'CZ'), (5, 'Back\Slash Ltd', NULL), (6, '株式会社テスト', 'JP');

-- Not bid tables: never exported.
CREATE TABLE vendors (id integer PRIMARY KEY, name varchar(60));
INSERT INTO vendors VALUES (1, 'Not exported'), (2, 'Also not exported');
CREATE TABLE customers (id integer PRIMARY KEY, name varchar(60), vip integer);
INSERT INTO customers VALUES (1, 'Customer One', 1), (2, 'Customer Two', NULL);

COMMIT;
SQL
