#pragma once

#include <string>

namespace bm::test {

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes. Path() ends with '/'.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// Writes bytes to a file (test fixtures); returns false on failure.
bool WriteFile(const std::string& path, const std::string& bytes);
// Reads a whole file; empty when missing.
std::string ReadFile(const std::string& path);

} // namespace bm::test
