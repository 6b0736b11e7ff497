// The stand-ins' tests start from every stand-in as at start, with the registry empty; the tests
// of the registry file each get a scratch folder of their own, with the file's path in it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "standins/registry.h"
#include "standins/registry_file.h"
#include "standins/services_control.h"
#include "standins/ui.h"
#include "standins/utf8.h"

inline const std::u16string kPath = u"Software\\Varnholt\\Torvane";

// A value's data, byte by byte.
inline std::string Bytes(std::initializer_list<int> list) {
    std::string out;
    for (int b : list)
        out += static_cast<char>(b);
    return out;
}

inline void ResetStandIns() {
    StandInReset();
    StandInRegistryReset();
    StandInUiReset();
}

class StandIns : public ::testing::Test {
  protected:
    void SetUp() override { ResetStandIns(); }
    void TearDown() override { ResetStandIns(); }
};

class StandInRegistryFile : public StandIns {
  protected:
    std::filesystem::path dir;
    std::string file;
    void SetUp() override {
        StandIns::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("torvane-registry-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        file = (dir / "registry.txt").string();
    }
    void TearDown() override {
        StandIns::TearDown();
        std::filesystem::remove_all(dir);
    }

  public:
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return in.is_open() ? text.str() : "(missing)";
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    // Creates the key path of HKCU and sets the DWORD name in it through the registry functions,
    // as a save of the settings does: 0, or the code of the call that failed.
    static int32_t WriteDword(const std::u16string& path, const char16_t* name, uint32_t value) {
        RegistryKey key = 0;
        int32_t result = PlatformRegCreateKey(kRootCurrentUser, path.c_str(), kKeyWrite, &key);
        if (result == 0) result = PlatformRegSetValue(key, name, kRegDword, &value, 4);
        PlatformRegCloseKey(key);
        return result;
    }
};
