#include "install/CMyRegKey.h"

#include <gtest/gtest.h>

#include "support/RegistrySandbox.h"

using namespace platform;

namespace {

constexpr const char* kKey = "SOFTWARE\\Mirvak Serac Studio\\Test";

class CMyRegKeyTest : public ::testing::Test {
protected:
    RegistrySandbox sandbox_;
};

TEST_F(CMyRegKeyTest, CreateMakesTheKeyAndRemembersItsPath) {
    CMyRegKey key;
    EXPECT_EQ(key.Open(RegistryRoot::kLocalMachine, kKey, kKeyRead), kRegNotFound);
    EXPECT_FALSE(key.IsOpen());
    ASSERT_EQ(key.Create(RegistryRoot::kLocalMachine, kKey), kRegSuccess);
    EXPECT_TRUE(key.IsOpen());
    EXPECT_EQ(key.GetKeyPath(), kKey);
    key.Close();
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Open(RegistryRoot::kLocalMachine, kKey, kKeyRead), kRegSuccess);
    // The key lives in the installer's own view only, and only in the machine root.
    CMyRegKey other;
    EXPECT_EQ(other.Open(RegistryRoot::kLocalMachine, kKey, kKeyRead | kKeyWow64_64Key), kRegNotFound);
    EXPECT_EQ(other.Open(RegistryRoot::kCurrentUser, kKey, kKeyRead), kRegNotFound);
}

TEST_F(CMyRegKeyTest, ReadStringTakesWhatFitsItsTwoHundredByteBuffer) {
    CMyRegKey key;
    ASSERT_EQ(key.Create(RegistryRoot::kLocalMachine, kKey), kRegSuccess);
    const struct {
        std::size_t length;
        RegResult result;
    } cases[] = {{0, kRegSuccess}, {199, kRegSuccess}, {200, kRegMoreData}, {5000, kRegMoreData}};
    for (const auto& c : cases) {
        ASSERT_EQ(key.WriteString("Path", std::string(c.length, 'p')), kRegSuccess);
        std::string text = "unchanged";
        EXPECT_EQ(key.ReadString("Path", text), c.result) << c.length;
        EXPECT_EQ(text, c.result == kRegSuccess ? std::string(c.length, 'p') : "unchanged") << c.length;
    }
}

TEST_F(CMyRegKeyTest, ValuesOfTheOtherTypeOrMissingAreNotRead) {
    CMyRegKey key;
    ASSERT_EQ(key.Create(RegistryRoot::kLocalMachine, kKey), kRegSuccess);
    ASSERT_EQ(key.WriteDword("cfg_flag", -1), kRegSuccess);
    ASSERT_EQ(key.WriteString("Name", "text"), kRegSuccess);

    std::int32_t number = 5;
    ASSERT_EQ(key.ReadDword("CFG_FLAG", number), kRegSuccess);
    EXPECT_EQ(number, -1);
    std::string text = "unchanged";
    EXPECT_EQ(key.ReadString("cfg_flag", text), kRegUnsupportedType);
    EXPECT_EQ(key.ReadDword("Name", number), kRegUnsupportedType);
    EXPECT_EQ(key.ReadDword("Absent", number), kRegNotFound);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(number, -1);
}

TEST_F(CMyRegKeyTest, WritesNeedAWritableOpenKey) {
    {
        CMyRegKey key;
        ASSERT_EQ(key.Create(RegistryRoot::kCurrentUser, kKey), kRegSuccess);
    }
    CMyRegKey key;
    EXPECT_EQ(key.WriteString("v", "x"), kRegInvalidHandle);
    std::string text;
    EXPECT_EQ(key.ReadString("v", text), kRegInvalidHandle);
    ASSERT_EQ(key.Open(RegistryRoot::kCurrentUser, kKey, kKeyRead), kRegSuccess);
    EXPECT_EQ(key.WriteString("v", "x"), kRegAccessDenied);
    ASSERT_EQ(key.Open(RegistryRoot::kCurrentUser, kKey, kKeyWrite), kRegSuccess);
    EXPECT_EQ(key.WriteString("v", "x"), kRegSuccess);
    EXPECT_EQ(key.ReadString("v", text), kRegSuccess);
    EXPECT_EQ(text, "x");
}

TEST_F(CMyRegKeyTest, ATextIsStoredUpToItsFirstNul) {
    CMyRegKey key;
    ASSERT_EQ(key.Create(RegistryRoot::kLocalMachine, kKey), kRegSuccess);
    ASSERT_EQ(key.WriteString("v", std::string("visible\0hidden", 14)), kRegSuccess);
    std::string text;
    ASSERT_EQ(key.ReadString("v", text), kRegSuccess);
    EXPECT_EQ(text, "visible");
}

}  // namespace
