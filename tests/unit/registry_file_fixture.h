// A scratch directory of its own for each test of the registry file, with the file's path in it.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "standins/registry_file.h"
#include "world.h"

class RegistryFile : public World {
  protected:
    std::filesystem::path dir;
    std::string file;
    void SetUp() override {
        World::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("torvane-registry-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        file = (dir / "registry.txt").string();
    }
    void TearDown() override {
        World::TearDown();
        std::filesystem::remove_all(dir);
    }

  public:
    static std::string Read(const std::string& path) {
        std::string out;
        FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) return "(missing)";
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            out.append(buffer, n);
        std::fclose(f);
        return out;
    }
    static void Write(const std::string& path, const std::string& text) {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
};
