// TempDir: a fresh directory for one test, removed with everything in it at the end.
#pragma once
#include <filesystem>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

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
    std::string operator()(const std::string& name) const { return (m_Path / name).string(); }

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

    static std::vector<uint8_t> ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
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
