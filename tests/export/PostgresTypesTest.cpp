// PostgreSQL's own types that the driver describes in its own way (uuid, time with time
// zone): each form of a PostgreSQL table is loaded by its target's own client and every
// value compared, as text, with PostgreSQL's own text of it.
#include "ExportTestUtil.h"
#include "RoundTripUtil.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

namespace {

bool Has(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

// One table of a PostgreSQL source written in every script form and loaded by each
// target's own client; each load must succeed.
struct TLoadedForms {
    std::string Postgres; // database
    std::string Copy;     // database, loaded from the COPY form
    std::string MariaDB;  // database
    std::string Sqlite;   // file
    std::string Firebird; // file, empty without isql-fb
    std::string Scripts;  // every script, for failure messages
};

TLoadedForms LoadEveryForm(const std::string& Source, const std::string& Table, ScratchDir& Dir,
                           const std::string& Prefix) {
    TLoadedForms loaded;
    TSourceFixture src;
    if (!src.Open(Source)) return loaded;
    auto dump = [&](TExportDialect Dialect, const std::string& Name) {
        const std::string file = Dir.File(Name);
        EXPECT_EQ(src.Dump(Dialect, Table, file), 0) << Name << ": " << src.Export->ErrorText;
        loaded.Scripts += "--- " + Name + "\n" + Lines(ReadFile(file));
        return file;
    };
    std::string output, errors;
    loaded.Postgres = FreshPostgresDatabase(Prefix + "_pg");
    EXPECT_EQ(PostgresLoad(loaded.Postgres, dump(edPostgreSQL, "pg.sql"), "", &output, &errors), 0) << errors;
    src.Export->CopyRows = true;
    loaded.Copy = FreshPostgresDatabase(Prefix + "_copy");
    EXPECT_EQ(PostgresLoad(loaded.Copy, dump(edPostgreSQL, "copy.sql"), "", &output, &errors), 0) << errors;
    src.Export->CopyRows = false;
    loaded.MariaDB = FreshMariaDBDatabase(Prefix + "_my");
    EXPECT_EQ(MariaDBLoad(loaded.MariaDB, dump(edMySQL, "my.sql"), &output), 0) << output;
    loaded.Sqlite = Dir.File("lite.db");
    int status = -1;
    output = SqliteLoad(loaded.Sqlite, dump(edSQLite, "lite.sql"), &status);
    EXPECT_EQ(status, 0) << output;
    const std::string fb = dump(edFirebird, "fb.sql");
    if (!RequireFirebirdTools()) return loaded;
    loaded.Firebird = Dir.File("fb.fdb");
    FirebirdCreateDatabase(loaded.Firebird);
    output = FirebirdRunScript(loaded.Firebird, ReadFile(fb), &status);
    EXPECT_EQ(status, 0) << output;
    return loaded;
}

// The rows of Select in each target: one "id|text" line each.
void ExpectSameTexts(const TLoadedForms& Loaded, const std::string& Expected, const std::string& Postgres,
                     const std::string& MariaDB, const std::string& Sqlite, const std::string& Firebird) {
    EXPECT_EQ(PostgresQuery(Loaded.Postgres, Postgres), Expected) << "PostgreSQL form\n" << Loaded.Scripts;
    EXPECT_EQ(PostgresQuery(Loaded.Copy, Postgres), Expected) << "COPY form";
    EXPECT_EQ(MariaDBQuery(Loaded.MariaDB, MariaDB), Expected) << "MySQL form";
    EXPECT_EQ(SqliteQuery(Loaded.Sqlite, Sqlite), Expected) << "SQLite form";
    if (!Loaded.Firebird.empty()) {
        EXPECT_EQ(FirebirdQuery(Loaded.Firebird, Firebird), Expected) << "Firebird form";
    }
}

} // namespace

// The driver gives a uuid in upper case, while PostgreSQL's text of it is lower case: a
// target that keeps it as text compared it differently from the source.
TEST(PostgresTypes, UuidsArriveAsPostgresText) {
    ScratchDir dir;
    const std::string source = FreshPostgresDatabase("pg_types_uuid");
    PostgresExec(source, "CREATE TABLE bid_ref(id int PRIMARY KEY, u uuid, k uuid NOT NULL UNIQUE);"
                         "INSERT INTO bid_ref VALUES (1, 'A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11', gen_random_uuid()),"
                         " (2, NULL, '{00000000-0000-0000-0000-00000000abcd}'),"
                         " (3, 'ffffffffffffffffffffffffffffffff', '12345678-90ab-cdef-1234-567890abcdef');");
    const std::string expected =
        PostgresQuery(source, "SELECT id || '|' || coalesce(u::text, '') || '|' || k FROM bid_ref ORDER BY id");
    ASSERT_TRUE(Has(expected, "1|a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11|")) << expected;
    const TLoadedForms loaded = LoadEveryForm(source, "bid_ref", dir, "pg_types_uuid");
    ExpectSameTexts(loaded, expected,
                    "SELECT id || '|' || coalesce(u::text, '') || '|' || k FROM bid_ref ORDER BY id",
                    "SELECT CONCAT(id, '|', IFNULL(u, ''), '|', k) FROM bid_ref ORDER BY id",
                    "SELECT id || '|' || ifnull(u, '') || '|' || k FROM bid_ref ORDER BY id;",
                    "SELECT id || '|' || coalesce(trim(u), '') || '|' || trim(k) FROM bid_ref ORDER BY id");
    EXPECT_EQ(PostgresQuery(loaded.Postgres, "SELECT format_type(atttypid, atttypmod) FROM pg_attribute "
                                             "WHERE attrelid = 'bid_ref'::regclass AND attname IN ('u', 'k') "
                                             "ORDER BY attnum"),
              "uuid\nuuid\n");
    // A lookup by the source's text finds the row where the target compares texts exactly.
    EXPECT_EQ(SqliteQuery(loaded.Sqlite, "SELECT id FROM bid_ref WHERE u = 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11';"),
              "1\n");

    // The delimited forms carry the same text.
    TSourceFixture src;
    ASSERT_TRUE(src.Open(source));
    ASSERT_EQ(src.Export->DumpTable(edTabText, "bid_ref", dir.File("ref.txt"), "", false, true, false, false, ""), 0);
    const std::string tab = ReadFile(dir.File("ref.txt"));
    EXPECT_TRUE(Has(tab, "\t12345678-90ab-cdef-1234-567890abcdef\r\n")) << tab;
    EXPECT_FALSE(Has(tab, "A0EEBC99")) << tab;
}

// A time with its zone stays one in the PostgreSQL forms (it was text there); the other
// targets have no such type and get PostgreSQL's text of each value.
TEST(PostgresTypes, TimesWithZoneKeepTheirTypeAndText) {
    ScratchDir dir;
    const std::string source = FreshPostgresDatabase("pg_types_timetz");
    PostgresExec(source, "CREATE TABLE bid_clock(id int PRIMARY KEY, t timetz DEFAULT CURRENT_TIME, t0 time(0) with time zone,"
                         " t3 timetz(3) NOT NULL);"
                         "INSERT INTO bid_clock VALUES (1, '04:05:06.789012-08', '04:05:06-08', '04:05:06.789+00'),"
                         " (2, '23:59:59.999999+15:59', '24:00:00-15:59', '00:00:00+05:30'),"
                         " (3, NULL, NULL, '12:00:00.5+01:02:03'), (4, '00:00:00+00', '13:14:15.6+01', '24:00:00+00');");
    const std::string select = "SELECT id || '|' || coalesce(t::text, '') || '|' || coalesce(t0::text, '') || '|' || "
                               "t3 FROM bid_clock ORDER BY id";
    const std::string expected = PostgresQuery(source, select);
    ASSERT_TRUE(Has(expected, "2|23:59:59.999999+15:59|24:00:00-15:59|00:00:00+05:30\n")) << expected;
    const TLoadedForms loaded = LoadEveryForm(source, "bid_clock", dir, "pg_types_timetz");
    ExpectSameTexts(loaded, expected, select,
                    "SELECT CONCAT(id, '|', IFNULL(t, ''), '|', IFNULL(t0, ''), '|', t3) FROM bid_clock ORDER BY id",
                    "SELECT id || '|' || ifnull(t, '') || '|' || ifnull(t0, '') || '|' || t3 FROM bid_clock ORDER BY id;",
                    "SELECT id || '|' || coalesce(t, '') || '|' || coalesce(t0, '') || '|' || t3 FROM bid_clock "
                    "ORDER BY id");
    const std::string types = "SELECT format_type(atttypid, atttypmod) FROM pg_attribute WHERE attrelid = "
                              "'bid_clock'::regclass AND attname LIKE 't%' AND attnum > 0 ORDER BY attnum";
    EXPECT_EQ(PostgresQuery(loaded.Postgres, types), PostgresQuery(source, types)) << loaded.Scripts;
    EXPECT_TRUE(Has(loaded.Scripts, "  t time with time zone DEFAULT CURRENT_TIME,\n")) << loaded.Scripts;
    EXPECT_TRUE(Has(loaded.Scripts, "  t0 varchar(24) /* time with time zone: its text */,\n")) << loaded.Scripts;
}
