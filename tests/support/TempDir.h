// TempDir: a fresh directory for one test, removed with everything in it at the end.
#pragma once
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        m_Path = std::filesystem::temp_directory_path() / ("servertest-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(m_Path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_Path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_Path; }
    std::string operator/(const std::string& name) const { return (m_Path / name).string(); }

    void Write(const std::string& name, const std::string& contents) const
    {
        std::filesystem::path p = m_Path / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << contents;
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(m_Path / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::filesystem::path m_Path;
};

// Changes the current directory for one scope.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::filesystem::path& dir) : m_Old(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~ScopedCurrentDir() { std::filesystem::current_path(m_Old); }

private:
    std::filesystem::path m_Old;
};
