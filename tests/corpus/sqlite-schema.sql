-- The bid tables of mariadb-corpus.sql as a SQLite schema: the same tables, the same
-- columns in the same order, keys and indexes. It is both the structure of the SQLite
-- source (with sqlite-rows.sql) and the set of tables the rows of other sources are
-- loaded into. Columns whose values SQLite cannot hold as numbers without rounding
-- (more than 15 significant digits, unsigned 64-bit) are declared as text, which keeps
-- every digit.

CREATE TABLE bidstatus (
  bid_link varchar(40) NOT NULL PRIMARY KEY,
  created date NOT NULL,
  state varchar(20) DEFAULT 'open'
);
CREATE INDEX ix_bidstatus_created ON bidstatus (created);

CREATE TABLE bid_0_victim (
  id integer NOT NULL PRIMARY KEY,
  note varchar(20) NOT NULL
);

CREATE TABLE bid_items (
  recno integer PRIMARY KEY AUTOINCREMENT,
  bid_link varchar(40) NOT NULL,
  descr varchar(200) DEFAULT NULL,
  qty smallint NOT NULL DEFAULT 1,
  price decimal(12,2) DEFAULT '0.00',
  created timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP,
  changed timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP,
  checked datetime DEFAULT NULL
);
CREATE INDEX ix_items_bid_link ON bid_items (bid_link);
CREATE INDEX ix_items_recent ON bid_items (created DESC, recno);

CREATE TABLE bid_tags (
  tag_id integer PRIMARY KEY AUTOINCREMENT,
  "key" varchar(30) NOT NULL UNIQUE,
  "desc" varchar(100) DEFAULT NULL,
  "date" date DEFAULT NULL,
  "order" integer NOT NULL DEFAULT 0
);

CREATE TABLE bid_item_tags (
  item_id integer NOT NULL REFERENCES bid_items (recno),
  tag_id integer NOT NULL REFERENCES bid_tags (tag_id),
  bid_link varchar(40) NOT NULL,
  added datetime NOT NULL DEFAULT CURRENT_TIMESTAMP,
  PRIMARY KEY (item_id, tag_id)
);
CREATE INDEX ix_item_tags_item ON bid_item_tags (item_id);
CREATE INDEX ix_item_tags_tag ON bid_item_tags (tag_id);
CREATE INDEX ix_item_tags_bid_link ON bid_item_tags (bid_link);

CREATE TABLE bid_enums (
  id integer NOT NULL PRIMARY KEY,
  status varchar(10) DEFAULT NULL CHECK (status IN ('open','closed','void')),
  flags varchar(40) DEFAULT NULL,
  grade char(1) DEFAULT NULL UNIQUE,
  code varchar(10) DEFAULT NULL UNIQUE,
  kind char(1) NOT NULL DEFAULT 'x'
);

CREATE TABLE bid_counters (
  id integer NOT NULL PRIMARY KEY,
  u8 integer DEFAULT NULL,
  u16 integer DEFAULT NULL,
  u24 integer DEFAULT NULL,
  u32 integer DEFAULT NULL,
  u64 text DEFAULT NULL,
  s8 integer DEFAULT NULL,
  s16 integer DEFAULT NULL,
  s24 integer DEFAULT NULL,
  s32 integer DEFAULT NULL,
  s64 integer DEFAULT NULL
);

CREATE TABLE bid_amounts (
  id integer NOT NULL PRIMARY KEY,
  wide text DEFAULT NULL,
  price decimal(10,2) DEFAULT NULL,
  rate text DEFAULT NULL,
  ratio double DEFAULT NULL
);

CREATE TABLE bid_bits (
  id integer NOT NULL PRIMARY KEY,
  active integer DEFAULT NULL,
  mask integer DEFAULT NULL,
  model_year integer DEFAULT NULL,
  code blob DEFAULT NULL,
  token blob DEFAULT NULL,
  image blob DEFAULT NULL
);

CREATE TABLE bid_blob_big (
  id integer NOT NULL PRIMARY KEY,
  payload blob,
  story text
);

CREATE TABLE bid_texts (
  id integer NOT NULL PRIMARY KEY,
  recno integer NOT NULL,
  bid_link varchar(40) DEFAULT NULL,
  title varchar(100) DEFAULT NULL,
  body text,
  code char(10) DEFAULT NULL
);
CREATE INDEX ix_texts_bid_link ON bid_texts (bid_link);

CREATE TABLE bid_defaults (
  id integer PRIMARY KEY AUTOINCREMENT,
  note varchar(60) DEFAULT 'it''s',
  trap varchar(60) DEFAULT ''');DROP TABLE bid_0_victim;--',
  path varchar(60) DEFAULT 'C:\dir\',
  dq varchar(60) DEFAULT 'say "hi"',
  made timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP,
  day date DEFAULT CURRENT_DATE,
  amount decimal(8,2) DEFAULT 1.50
);

CREATE TABLE bid_supplier_contract_amendment_history (
  amendment_history_identifier integer PRIMARY KEY AUTOINCREMENT,
  supplier_contract_reference_code varchar(40) NOT NULL,
  amendment_effective_date_of_contract_change date DEFAULT NULL,
  last_modified_timestamp_of_the_amendment timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP
);
CREATE INDEX ix_supplier_contract_amendment_reference
  ON bid_supplier_contract_amendment_history (supplier_contract_reference_code);

CREATE TABLE bid_supplier_contract_amendment_history_archive (
  amendment_history_identifier integer NOT NULL PRIMARY KEY,
  supplier_contract_reference_code varchar(40) NOT NULL
);
CREATE INDEX ix_supplier_contract_amendment_reference_archive
  ON bid_supplier_contract_amendment_history_archive (supplier_contract_reference_code);

CREATE TABLE bid_a (
  id integer NOT NULL PRIMARY KEY,
  a_only varchar(10) DEFAULT NULL
);

CREATE TABLE bidxa (
  id integer NOT NULL PRIMARY KEY,
  x_only varchar(10) DEFAULT NULL,
  x_extra integer DEFAULT NULL
);

CREATE TABLE bid_documents (
  doc_id integer PRIMARY KEY AUTOINCREMENT,
  bid_link varchar(40) NOT NULL,
  title varchar(200) NOT NULL,
  content text,
  filed_at datetime NOT NULL
);
CREATE INDEX ix_documents_bid_link ON bid_documents (bid_link);
CREATE INDEX ix_documents_filed ON bid_documents (filed_at DESC);

CREATE TABLE bid_schedule (
  id integer NOT NULL PRIMARY KEY,
  due date DEFAULT NULL,
  at_time time DEFAULT NULL,
  stamp datetime DEFAULT NULL,
  precise datetime DEFAULT NULL
);
