#include "platform/RegistryStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/RegistrySandbox.h"
#include "support/TempDir.h"

using namespace platform;

namespace {

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RegistryStore::OpenFile(path_, store_), kRegSuccess); }

    RegValue Text(const std::string& name, const std::string& text) {
        RegValue value;
        value.name = name;
        value.type = RegType::kSz;
        value.text = text;
        return value;
    }
    RegValue Number(const std::string& name, std::uint32_t number) {
        RegValue value;
        value.name = name;
        value.type = RegType::kDword;
        value.number = number;
        return value;
    }
    RegKeyId Create(const std::string& path, RegistryView view = RegistryView::k32) {
        RegKeyId key = 0;
        EXPECT_EQ(store_->CreateKey(view, path, key), kRegSuccess) << path;
        return key;
    }

    TempDir dir_;
    std::string path_ = dir_.Path("store/registry.db");
    std::unique_ptr<RegistryStore> store_;
};

TEST_F(RegistryStoreTest, KeysAreFoundIgnoringCaseAndKeepTheirFirstSpelling) {
    const RegKeyId created = Create("SOFTWARE\\Mirvak\\Serac Studio");
    RegKeyId opened = 0;
    ASSERT_EQ(store_->OpenKey(RegistryView::k32, "software\\MIRVAK\\serac studio", opened), kRegSuccess);
    EXPECT_EQ(opened, created);
    EXPECT_EQ(Create("Software\\mirvak\\SERAC STUDIO"), created);

    std::string path;
    ASSERT_EQ(store_->GetKeyPath(opened, path), kRegSuccess);
    EXPECT_EQ(path, "SOFTWARE\\Mirvak\\Serac Studio");

    // Creating the key created its parents.
    RegKeyId parent = 0;
    ASSERT_EQ(store_->OpenKey(RegistryView::k32, "Software\\Mirvak", parent), kRegSuccess);
    std::vector<std::string> subKeys;
    ASSERT_EQ(store_->ListSubKeys(parent, subKeys), kRegSuccess);
    EXPECT_EQ(subKeys, std::vector<std::string>{"Serac Studio"});
}

TEST_F(RegistryStoreTest, KeyPathsAreCheckedBeforeUse) {
    const struct {
        std::string path;
        RegResult open;
    } cases[] = {
        {"\\Software\\Mirvak\\", kRegSuccess},  // outer separators are ignored
        {"Software\\\\Mirvak", kRegInvalidParameter},
        {std::string(256, 'k'), kRegInvalidParameter},
        {"Software\\" + std::string(255, 'k'), kRegNotFound},
    };
    Create("Software\\Mirvak");
    for (const auto& c : cases) {
        RegKeyId key = 0;
        EXPECT_EQ(store_->OpenKey(RegistryView::k32, c.path, key), c.open) << c.path;
    }
    RegKeyId key = 0;
    EXPECT_EQ(store_->CreateKey(RegistryView::k32, "a\\\\b", key), kRegInvalidParameter);
    EXPECT_EQ(store_->OpenKey(RegistryView::k32, "a", key), kRegNotFound) << "a failed create leaves nothing";
}

TEST_F(RegistryStoreTest, ViewsAreSeparateSubtrees) {
    const RegKeyId in32 = Create("Software\\Product", RegistryView::k32);
    ASSERT_EQ(store_->SetValue(in32, Text("InstallPath", "/opt/a")), kRegSuccess);

    RegKeyId key = 0;
    EXPECT_EQ(store_->OpenKey(RegistryView::k64, "Software\\Product", key), kRegNotFound);
    const RegKeyId in64 = Create("Software\\Product", RegistryView::k64);
    EXPECT_NE(in64, in32);
    RegValue value;
    EXPECT_EQ(store_->QueryValue(in64, "InstallPath", value), kRegNotFound);
}

TEST_F(RegistryStoreTest, ValuesKeepTypeAndFirstWriteOrderAndAreNamedIgnoringCase) {
    const RegKeyId key = Create("K");
    ASSERT_EQ(store_->SetValue(key, Text("Zeta", "one")), kRegSuccess);
    ASSERT_EQ(store_->SetValue(key, Number("alpha", 0xFFFFFFFFu)), kRegSuccess);
    ASSERT_EQ(store_->SetValue(key, Text("Mid", "")), kRegSuccess);
    // Overwriting keeps the value's place and may change its type.
    ASSERT_EQ(store_->SetValue(key, Number("ZETA", 7)), kRegSuccess);

    std::vector<RegValue> values;
    ASSERT_EQ(store_->ListValues(key, values), kRegSuccess);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].name, "Zeta");
    EXPECT_EQ(values[0].type, RegType::kDword);
    EXPECT_EQ(values[0].number, 7u);
    EXPECT_EQ(values[1].name, "alpha");
    EXPECT_EQ(values[1].number, 0xFFFFFFFFu);
    EXPECT_EQ(values[2].type, RegType::kSz);
    EXPECT_EQ(values[2].text, "");

    RegValue value;
    ASSERT_EQ(store_->QueryValue(key, "ALPHA", value), kRegSuccess);
    EXPECT_EQ(value.number, 0xFFFFFFFFu);
    EXPECT_EQ(store_->DeleteValue(key, "mid"), kRegSuccess);
    EXPECT_EQ(store_->DeleteValue(key, "mid"), kRegNotFound);
    EXPECT_EQ(store_->QueryValue(key, "Mid", value), kRegNotFound);
}

TEST_F(RegistryStoreTest, TextsKeepEveryByte) {
    const RegKeyId key = Create("K");
    const std::string text = std::string("line\nnext \"quoted\" 100% \\ ") + "\xE4\xB8\xAD" + std::string(1, '\0') + "x";
    ASSERT_EQ(store_->SetValue(key, Text("v", text)), kRegSuccess);
    RegValue value;
    ASSERT_EQ(store_->QueryValue(key, "v", value), kRegSuccess);
    EXPECT_EQ(value.text, text);
}

TEST_F(RegistryStoreTest, DeleteKeyTreeRemovesOnlyTheKeyAndWhatIsBelowIt) {
    const RegKeyId app = Create("Uninstall\\App");
    const RegKeyId child = Create("Uninstall\\App\\Child\\Deeper");
    const RegKeyId sibling = Create("Uninstall\\App2");
    ASSERT_EQ(store_->SetValue(app, Text("a", "1")), kRegSuccess);
    ASSERT_EQ(store_->SetValue(child, Text("c", "2")), kRegSuccess);
    ASSERT_EQ(store_->SetValue(sibling, Text("s", "3")), kRegSuccess);

    ASSERT_EQ(store_->DeleteKeyTree(RegistryView::k32, "uninstall\\APP"), kRegSuccess);

    RegKeyId key = 0;
    EXPECT_EQ(store_->OpenKey(RegistryView::k32, "Uninstall\\App", key), kRegNotFound);
    EXPECT_EQ(store_->OpenKey(RegistryView::k32, "Uninstall\\App\\Child", key), kRegNotFound);
    RegValue value;
    EXPECT_EQ(store_->QueryValue(sibling, "s", value), kRegSuccess);
    EXPECT_EQ(store_->DeleteKeyTree(RegistryView::k32, "Uninstall\\App"), kRegNotFound);

    // A handle to a deleted key fails instead of writing a value nothing can reach.
    EXPECT_EQ(store_->SetValue(app, Text("late", "x")), kRegKeyDeleted);
    EXPECT_EQ(store_->QueryValue(child, "c", value), kRegKeyDeleted);
    const RegKeyId recreated = Create("Uninstall\\App");
    std::vector<RegValue> values;
    ASSERT_EQ(store_->ListValues(recreated, values), kRegSuccess);
    EXPECT_TRUE(values.empty());
}

TEST_F(RegistryStoreTest, DeletingTheRootKeyEmptiesTheViewButKeepsIt) {
    Create("A\\B");
    Create("C", RegistryView::k64);
    ASSERT_EQ(store_->DeleteKeyTree(RegistryView::k32, ""), kRegSuccess);
    RegKeyId root = 0;
    ASSERT_EQ(store_->OpenKey(RegistryView::k32, "", root), kRegSuccess);
    std::vector<std::string> names;
    ASSERT_EQ(store_->ListSubKeys(root, names), kRegSuccess);
    EXPECT_TRUE(names.empty());
    RegKeyId other = 0;
    EXPECT_EQ(store_->OpenKey(RegistryView::k64, "C", other), kRegSuccess);
}

TEST_F(RegistryStoreTest, ChangesAreSeenByAnotherConnection) {
    ASSERT_EQ(store_->SetValue(Create("K"), Number("n", 42)), kRegSuccess);
    std::unique_ptr<RegistryStore> second;
    ASSERT_EQ(RegistryStore::OpenFile(path_, second), kRegSuccess);
    RegKeyId key = 0;
    ASSERT_EQ(second->OpenKey(RegistryView::k32, "k", key), kRegSuccess);
    RegValue value;
    ASSERT_EQ(second->QueryValue(key, "N", value), kRegSuccess);
    EXPECT_EQ(value.number, 42u);
}

TEST_F(RegistryStoreTest, AFileThatIsNoStoreIsRefused) {
    const std::string junk = dir_.WriteFile("junk.db", std::string(4096, 'x'));
    std::unique_ptr<RegistryStore> store;
    EXPECT_EQ(RegistryStore::OpenFile(junk, store), kRegBadStore);
    EXPECT_EQ(store, nullptr);
}

// Two processes writing the same store at once: the second waits for the
// first one's transaction instead of failing with "busy".
TEST_F(RegistryStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
    store_.reset();
    constexpr int kWrites = 150;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            std::unique_ptr<RegistryStore> store;
            if (RegistryStore::OpenFile(path_, store) != kRegSuccess) _exit(2);
            for (int i = 0; i < kWrites; ++i) {
                RegKeyId key = 0;
                if (store->CreateKey(RegistryView::k32, "Writer" + std::to_string(c), key) != kRegSuccess ||
                    store->SetValue(key, Number("v" + std::to_string(i), static_cast<std::uint32_t>(i))) !=
                        kRegSuccess) {
                    _exit(3);
                }
            }
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    ASSERT_EQ(RegistryStore::OpenFile(path_, store_), kRegSuccess);
    for (int c = 0; c < 2; ++c) {
        RegKeyId key = 0;
        ASSERT_EQ(store_->OpenKey(RegistryView::k32, "Writer" + std::to_string(c), key), kRegSuccess);
        std::vector<RegValue> values;
        ASSERT_EQ(store_->ListValues(key, values), kRegSuccess);
        EXPECT_EQ(values.size(), static_cast<std::size_t>(kWrites));
    }
}

// A writer killed at an arbitrary moment leaves each value as it was before
// or after one whole write, never a mix or a damaged store.
TEST_F(RegistryStoreTest, AWriterKilledMidWriteLeavesTheOldOrTheNewValue) {
    const std::size_t kSize = 256 * 1024;
    ASSERT_EQ(store_->SetValue(Create("K"), Text("big", std::string(kSize, 'A'))), kRegSuccess);
    store_.reset();
    for (int round = 0; round < 6; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::unique_ptr<RegistryStore> store;
            if (RegistryStore::OpenFile(path_, store) != kRegSuccess) _exit(2);
            RegKeyId key = 0;
            store->CreateKey(RegistryView::k32, "K", key);
            for (int i = 0;; ++i) {
                RegValue value;
                value.name = "big";
                value.text = std::string(kSize, (i % 2) ? 'B' : 'A');
                store->SetValue(key, value);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(15 + round * 17));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        std::unique_ptr<RegistryStore> store;
        ASSERT_EQ(RegistryStore::OpenFile(path_, store), kRegSuccess) << "round " << round;
        RegKeyId key = 0;
        ASSERT_EQ(store->OpenKey(RegistryView::k32, "K", key), kRegSuccess);
        RegValue value;
        ASSERT_EQ(store->QueryValue(key, "big", value), kRegSuccess);
        ASSERT_EQ(value.text.size(), kSize) << "round " << round;
        EXPECT_TRUE(value.text == std::string(kSize, 'A') || value.text == std::string(kSize, 'B'))
            << "round " << round;
    }
}

TEST(RegistryStorePath, MachineAndUserStoresFollowTheSandbox) {
    RegistrySandbox sandbox;
    const std::string user = RegistryStorePath(RegistryRoot::kCurrentUser);
    EXPECT_EQ(user, sandbox.home().home() + "/.local/share/mirvak-registry/user.db");
    const std::string machine = RegistryStorePath(RegistryRoot::kLocalMachine);
    if (geteuid() == 0) {
        EXPECT_EQ(machine, sandbox.rootDir().path() + "/var/lib/mirvak-registry/machine.db");
    } else {
        EXPECT_EQ(machine, sandbox.home().home() + "/.local/share/mirvak-registry/machine.db");
    }
    EXPECT_NE(machine, user);
}

TEST(RegistryStorePath, AccessMasksChooseTheViewAndWriting) {
    EXPECT_EQ(ViewFromAccess(kKeyAllAccess), RegistryView::k32);
    EXPECT_EQ(ViewFromAccess(kKeyRead | kKeyWow64_64Key), RegistryView::k64);
    EXPECT_EQ(kKeyRead | kKeyWow64_64Key, 0x20119u);
    EXPECT_EQ(ViewFromAccess(kKeyRead | kKeyWow64_32Key), RegistryView::k32);
    EXPECT_FALSE(AccessAllowsWrite(kKeyRead));
    EXPECT_TRUE(AccessAllowsWrite(kKeyWrite));
    EXPECT_TRUE(AccessAllowsWrite(kKeyAllAccess));
}

}  // namespace
