// PathResolver: backslashes to slashes and a letter-case-blind walk over the path's components,
// with a small cache of the spellings found so that hot paths do not rescan directories.
#include "platform/PathResolver.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <mutex>
#include <unordered_map>

namespace Platform {
namespace {

std::mutex g_CacheLock;  // files are opened from worker threads too
std::unordered_map<std::string, std::string> g_Cache;  // dir + "/" + lower(component) -> spelling
constexpr size_t kCacheLimit = 4096;

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// The real spelling of `component` inside `dir` ("" for the current directory), or "".
std::string FindComponent(const std::string& dir, const std::string& component)
{
    std::string key = dir + "/" + Lower(component);
    {
        std::lock_guard<std::mutex> guard(g_CacheLock);
        auto it = g_Cache.find(key);
        if (it != g_Cache.end()) {
            std::string candidate = dir.empty() ? it->second : dir + "/" + it->second;
            if (dir == "/")
                candidate = "/" + it->second;
            if (Exists(candidate))
                return it->second;
            g_Cache.erase(it);
        }
    }
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return {};
    std::string found;
    while (dirent* e = readdir(d)) {
        if (strcasecmp(e->d_name, component.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    if (!found.empty()) {
        std::lock_guard<std::mutex> guard(g_CacheLock);
        if (g_Cache.size() >= kCacheLimit)
            g_Cache.clear();
        g_Cache[key] = found;
    }
    return found;
}

}  // namespace

std::string ResolvePath(std::string_view name)
{
    std::string path(name);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path.empty() || Exists(path))
        return path;

    // Walk component by component; keep the written spelling from the first miss on.
    std::string result;
    size_t pos = 0;
    if (path[0] == '/') {
        result = "/";
        pos = 1;
    }
    bool matching = true;
    while (pos <= path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        std::string component = path.substr(pos, end - pos);
        std::string dir = result;
        if (!dir.empty() && dir != "/" && dir.back() == '/')
            dir.pop_back();
        std::string spelling = component;
        if (matching && !component.empty() && component != "." && component != "..") {
            std::string candidate = result + component;
            if (!Exists(candidate)) {
                std::string found = FindComponent(dir, component);
                if (found.empty())
                    matching = false;
                else
                    spelling = found;
            }
        }
        result += spelling;
        if (end < path.size())
            result += '/';
        pos = end + 1;
    }
    return result;
}

void ClearPathCache()
{
    std::lock_guard<std::mutex> guard(g_CacheLock);
    g_Cache.clear();
}

bool IsInsideGameDir(std::string_view name)
{
    if (name.empty() || name[0] == '\\' || name[0] == '/' || (name.size() >= 2 && name[1] == ':'))
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos)
            end = name.size();
        if (name.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

}  // namespace Platform
