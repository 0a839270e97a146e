// The settings file: profile-file rules and where the file is looked up.
#include "Settings.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace {

TEST(Settings, ValuesAreReadWithProfileRules) {
    ScratchDir dir;
    WriteFile(dir.File("settings.ini"), "[other]\nDNS Name=wrong\n[ODBC PARAMETERS]\ndns NAME =  'my dsn' \nuser "
                                        "name=bob\nPassword=\"p w\"\n");
    std::string dsn, user, password;
    ReadODBCSettings(dsn, user, password, dir.File("settings.ini"));
    EXPECT_EQ(dsn, "my dsn");
    EXPECT_EQ(user, "bob");
    EXPECT_EQ(password, "p w");
    ReadODBCSettings(dsn, user, password, dir.File("missing.ini"));
    EXPECT_EQ(dsn + user + password, "") << "a missing file leaves every value empty";
}

// The file beside the program wins; without one the system folder's name is used, never
// the working folder's.
TEST(Settings, FileBesideTheProgramComesFirst) {
    const std::string beside = ProgramFolder() + "ZURIREV.ini";
    ASSERT_FALSE(std::filesystem::exists(beside)) << "left over from an earlier run: " << beside;
    ScratchDir dir;
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    WriteFile("ZURIREV.ini", "[ODBC Parameters]\nDNS Name=WorkingFolder\n");
    EXPECT_EQ(SettingsFileName(), "/etc/ZURIREV.ini");

    WriteFile(beside, "[ODBC Parameters]\nDNS Name=Beside\n");
    EXPECT_EQ(SettingsFileName(), beside);
    std::string dsn, user, password;
    ReadODBCSettings(dsn, user, password);
    EXPECT_EQ(dsn, "Beside");
    ::unlink(beside.c_str());
    ASSERT_EQ(chdir(old), 0);
}

} // namespace
