// What real drivers cannot show, against a scripted fake driver manager.
#include "TODBC.h"
#include "TODBCStatement.h"
#include "UiHooks.h"
#include "fake/FakeDriverManager.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>

namespace {

// A call as the fake logs it: "SQLSetStmtAttr <attribute>=<value>".
std::string SetCall(const char* function, SQLINTEGER attribute, const std::string& value) {
    return std::string(function) + " " + std::to_string(attribute) + "=" + value;
}
std::string SetCall(const char* function, SQLINTEGER attribute, SQLULEN value) {
    return SetCall(function, attribute, std::to_string(value));
}

bool Loaded(const char* path) {
    void* h = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

class FakeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Our own reference keeps the state alive between connection objects.
        hold = dlopen(FAKE_DM, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(hold, nullptr) << dlerror();
        auto get = reinterpret_cast<FakeDriverManagerState* (*)()>(dlsym(hold, "FakeDriverManagerStateOf"));
        ASSERT_NE(get, nullptr);
        state = get();
        *state = FakeDriverManagerState{};
        SetODBCLibraryName(FAKE_DM);
        old = InstallUiHooks({nullptr, [this](const std::string& t) { boxes.push_back(t); }});
    }
    void TearDown() override {
        InstallUiHooks(old);
        SetODBCLibraryName("libodbc.so.2");
        if (hold) dlclose(hold);
    }
    std::vector<std::string> Calls(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : state->calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

    void* hold = nullptr;
    FakeDriverManagerState* state = nullptr;
    std::vector<std::string> boxes;
    UiHooks old;
};

TEST(FakeLoad, AMissingEntryPointFailsTheLoadAndReleasesTheLibrary) {
    for (const char* path : {FAKE_DM_NO_BROWSECONNECT, FAKE_DM_NO_CANCEL}) {
        SCOPED_TRACE(path);
        SetODBCLibraryName(path);
        {
            TODBC conn;
            EXPECT_FALSE(ODBCLoaded());
            EXPECT_FALSE(Loaded(path));
            EXPECT_EQ(ODBCApi.SQLAllocHandle, nullptr) << "no slot is left filled";
            EXPECT_FALSE(conn.Connect("Sales", "clerk", ""));
            TODBCStatement st(&conn, false, false);
            EXPECT_FALSE(st.Allocated);
            EXPECT_FALSE(st.ExecSQL("select 1"));
            std::string tables = "x", views;
            st.GetTableList(views, "", false, tables);
            EXPECT_EQ(tables, "");
        }
        EXPECT_FALSE(Loaded(path));
    }
    SetODBCLibraryName("libodbc.so.2");
}

TEST_F(FakeTest, TheLibraryIsReleasedExactlyOnce) {
    {
        TODBC first;
        TODBC second;
        EXPECT_TRUE(ODBCLoaded());
        EXPECT_TRUE(first.Connect("Sales", "", ""));
    }
    EXPECT_FALSE(ODBCLoaded());
    // Still held by this test's own reference: a second release would have dropped it.
    EXPECT_TRUE(Loaded(FAKE_DM));
    dlclose(hold);
    hold = nullptr;
    EXPECT_FALSE(Loaded(FAKE_DM));
}

TEST_F(FakeTest, ConnectionRoutesAndKinds) {
    state->dataSources = {{"Other", "Access Driver"}, {"Sales", "MySQL ODBC 8.0 Driver"}};
    {
        TODBC conn;
        ASSERT_TRUE(conn.Connect("Sales", "clerk", "pw", "shop", true));
        EXPECT_EQ(conn.ConnectInfo, "MySQL ODBC 8.0 Driver");
        EXPECT_EQ(conn.DatabaseKind(), dkMySQL);
        EXPECT_FALSE(conn.BindColumns) << "any column, any order and refresh";
        EXPECT_EQ(Calls("SQLSetConnectAttr"),
                  (std::vector<std::string>{
                      SetCall("SQLSetConnectAttr", SQL_ATTR_LOGIN_TIMEOUT, 5),
                      SetCall("SQLSetConnectAttr", SQL_ATTR_CURRENT_CATALOG, "shop"),
                      SetCall("SQLSetConnectAttr", SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF),
                      SetCall("SQLSetConnectAttr", SQL_ATTR_ODBC_CURSORS, SQL_CUR_USE_IF_NEEDED)}));
        EXPECT_EQ(Calls("SQLConnect"), std::vector<std::string>{"SQLConnect Sales/clerk/pw"});
        state->calls.clear();
        EXPECT_TRUE(conn.Connect("Sales", "", ""));
        EXPECT_TRUE(state->calls.empty()) << "a connected object makes no call";
    }
    {
        // PostgreSQL's driver, a kind after the seven.
        state->dataSources = {{"Pg", "PostgreSQL Unicode"}};
        TODBC conn;
        ASSERT_TRUE(conn.Connect("Pg", "", ""));
        EXPECT_EQ(conn.DatabaseKind(), dkPostgreSQL);
    }
    {
        // A name the driver manager does not list stays the connect information.
        TODBC conn;
        ASSERT_TRUE(conn.Connect("mariadb_box", "", ""));
        EXPECT_EQ(conn.ConnectInfo, "mariadb_box");
        EXPECT_EQ(conn.DatabaseKind(), dkMySQL);
    }
    {
        state->refuseConnect = true;
        state->driverConnectOut = "DSN=Sales;DRIVER={Oracle in Home};UID=clerk";
        TODBC conn;
        ASSERT_TRUE(conn.Connect("Sales", "clerk", ""));
        EXPECT_EQ(state->driverConnectIn, "DSN=Sales;DRIVER={};UID=clerk");
        EXPECT_EQ(conn.ConnectInfo, state->driverConnectOut);
        EXPECT_EQ(conn.DatabaseKind(), dkOracle);
    }
    {
        // An empty name skips SQLConnect; the completed string is cut to the buffer.
        state->calls.clear();
        state->driverConnectOut = std::string(2000, 'a');
        TODBC conn;
        ASSERT_TRUE(conn.Connect("", "", "", "db", false, "Visual FoxPro Driver", "Exclusive=No"));
        EXPECT_TRUE(Calls("SQLConnect").empty());
        EXPECT_EQ(state->driverConnectIn, "DRIVER={Visual FoxPro Driver};SourceDB=db;Exclusive=No");
        EXPECT_EQ(conn.ConnectInfo, std::string(1022, 'a')) << "1023 bytes announced, one for the terminator";
    }
    {
        // An Oracle driver takes the database under DBQ.
        state->driverConnectOut = "DRIVER={Oracle in XE};DBQ=orcl;UID=clerk";
        TODBC conn;
        ASSERT_TRUE(conn.Connect("", "clerk", "", "orcl", false, "Oracle in XE", ""));
        EXPECT_EQ(state->driverConnectIn, "DRIVER={Oracle in XE};DBQ=orcl;UID=clerk");
        EXPECT_EQ(conn.DatabaseKind(), dkOracle);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FakeTest, DiagnosticsOnlyWithShowErrorsAndUpToIM001) {
    state->diagnostics = {{"42000", "first problem", ""},
                          {"HY000", "short", "the whole general message"},
                          {"IM001", "not supported", ""},
                          {"01000", "never shown", ""}};
    TODBC conn;
    ASSERT_TRUE(conn.Connect("Sales", "", ""));
    TODBCStatement st(&conn, false, false);
    conn.CheckError(SQL_ERROR);
    st.CheckError(SQL_ERROR);
    EXPECT_TRUE(boxes.empty());
    conn.ShowErrors = true;
    conn.CheckError(SQL_SUCCESS_WITH_INFO);
    st.CheckError(SQL_SUCCESS);
    EXPECT_TRUE(boxes.empty()) << "successes are not reported";
    conn.CheckError(SQL_ERROR);
    st.CheckError(SQL_NO_DATA);
    EXPECT_EQ(boxes, (std::vector<std::string>{"ODBC Error: first problem. State:  42000",
                                               "ODBC Error: the whole general message. State:  HY000",
                                               "Stmt Error: first problem. State:  42000",
                                               "Stmt Error: the whole general message. State:  HY000"}));
}

TEST_F(FakeTest, RefusedAttributesDoNotStopTheSetup) {
    state->refuseAttributes = true;
    state->diagnostics = {{"HYC00", "optional feature", ""}};
    state->result.names = {"A"};
    state->result.rows = {{"1"}};
    TODBC conn;
    conn.ShowErrors = true;
    ASSERT_TRUE(conn.Connect("Sales", "", ""));
    // Login timeout and cursor library refused, one box each.
    EXPECT_EQ(boxes, (std::vector<std::string>(2, "ODBC Error: optional feature. State:  HYC00")));
    boxes.clear();
    TODBCStatement st(&conn, false, false);
    EXPECT_TRUE(st.Allocated);
    // Concurrency: row versions, values, then locking, which the fake accepts; tries are not reported.
    auto sets = Calls("SQLSetStmtAttr");
    ASSERT_GE(sets.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(sets.begin(), sets.begin() + 4),
              (std::vector<std::string>{SetCall("SQLSetStmtAttr", SQL_ATTR_CONCURRENCY, SQL_CONCUR_ROWVER),
                                        SetCall("SQLSetStmtAttr", SQL_ATTR_CONCURRENCY, SQL_CONCUR_VALUES),
                                        SetCall("SQLSetStmtAttr", SQL_ATTR_CONCURRENCY, SQL_CONCUR_LOCK),
                                        SetCall("SQLSetStmtAttr", SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_DYNAMIC)}));
    // Cursor type and row limit refused: reported, and the statement works.
    EXPECT_EQ(boxes, (std::vector<std::string>(2, "Stmt Error: optional feature. State:  HYC00")));
    EXPECT_TRUE(st.ExecSQL("select a from t"));
    EXPECT_EQ(st.FieldAsString(0), "1");
}

TEST_F(FakeTest, RowsWithInfoEndTheCatalogueLists) {
    state->result.names = {"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "TABLE_TYPE"};
    state->result.rows = {{"", "\x01", "first", "TABLE"},
                          {"", "s", "second", "VIEW"},
                          {"", "", "third", "TABLE"},
                          {"", "", "fourth", "TABLE"}};
    state->result.fetchCodes = {SQL_SUCCESS, SQL_SUCCESS, SQL_SUCCESS_WITH_INFO, SQL_SUCCESS};
    TODBC conn;
    ASSERT_TRUE(conn.Connect("Sales", "", ""));
    TODBCStatement st(&conn, false, false);
    std::string tables, views;
    st.GetTableList(views, "", true, tables);
    EXPECT_EQ(tables, "first");
    EXPECT_EQ(views, "s.second");

    state->result.names = {"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "COLUMN_NAME"};
    state->result.rows = {{"", "", "t", "id"}, {"", "", "t", "Name"}, {"", "", "t", "more"}};
    state->result.fetchCodes = {SQL_SUCCESS, SQL_SUCCESS, SQL_SUCCESS_WITH_INFO};
    std::string columns;
    st.GetColumnList("t", columns);
    EXPECT_EQ(columns, "ID,NAME");
}

TEST_F(FakeTest, LongValuesWithoutATotalComeInChunks) {
    std::string big(300000, 'x');
    for (std::size_t i = 0; i < big.size(); i += 7)
        big[i] = static_cast<char>('a' + i % 26);
    state->result.names = {"TEXT", "RAW"};
    state->result.types = {SQL_VARCHAR, SQL_LONGVARBINARY};
    state->result.rows = {{big, big.substr(0, 100000)}, {big + "!", "\x01"}};
    state->result.noTotal = true;
    for (bool bind : {false, true}) {
        SCOPED_TRACE(bind ? "bound" : "unbound");
        TODBC conn;
        ASSERT_TRUE(conn.Connect("Sales", "", ""));
        conn.BindColumns = bind;
        TODBCStatement st(&conn, false, false);
        ASSERT_TRUE(st.ExecSQL("select text, raw from t"));
        EXPECT_EQ(st.ColumnType(1), ctUnknown);
        EXPECT_EQ(st.ColumnSize(1), 0);
        EXPECT_EQ(st.FieldAsString(0), big);
        EXPECT_EQ(st.FieldView(1), big.substr(0, 100000));
        EXPECT_EQ(st.FieldView(0), big) << "read twice";
        ASSERT_TRUE(st.Fetch());
        EXPECT_EQ(st.FieldAsString(0), big + "!");
        EXPECT_TRUE(st.FieldIsNull(1));
        EXPECT_FALSE(st.Fetch());
    }
}

TEST_F(FakeTest, AnExceptionInTheWorkerIsAFailedExecution) {
    state->result.names = {"A"};
    state->result.rows = {{"1"}};
    TODBC conn;
    ASSERT_TRUE(conn.Connect("Sales", "", ""));
    TODBCStatement st(&conn, false, false);
    state->throwOnExecute = true;
    EXPECT_FALSE(st.ExecSQL("select a from t"));
    EXPECT_TRUE(st.Failed());
    EXPECT_FALSE(st.Executing);
    state->throwOnExecute = false;
    ASSERT_TRUE(st.ExecSQL("select a from t")) << "the statement stays usable";
    EXPECT_EQ(st.FieldAsString(0), "1");
}

} // namespace
