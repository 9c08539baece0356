#include "pathResolver.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace platform {

std::string rootDirectory() {
    const char* root = std::getenv(kRootVariable);
    if (root == nullptr) {
        return {};
    }
    std::string value = root;
    while (!value.empty() && value.back() == '/') {
        value.pop_back();
    }
    return value;
}

std::string resolvePath(const std::string& absolutePath) {
    if (absolutePath.empty() || absolutePath.front() != '/') {
        return absolutePath;
    }
    return rootDirectory() + absolutePath;
}

std::string normalisePath(const std::string& path) {
    std::vector<std::string> parts;
    std::istringstream in(path);
    std::string part;
    while (std::getline(in, part, '/')) {
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const std::string& p : parts) {
        out += '/';
        out += p;
    }
    return out.empty() ? "/" : out;
}

bool isInsideRoot(const std::string& path) {
    if (path.empty() || path.front() != '/') {
        return false;
    }
    const std::string root = rootDirectory();
    if (root.empty()) {
        return true;
    }
    const std::string normalRoot = normalisePath(root);
    const std::string normal = normalisePath(path);
    return normal == normalRoot || normal.rfind(normalRoot + "/", 0) == 0;
}

}  // namespace platform
