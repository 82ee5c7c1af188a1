#pragma once
// Reads published test-vector files as they are: NIST CAVP .rsp files and "KEY = value" records.
// Records are separated by blank lines; '#' lines are comments; "[...]" lines set the section
// that later records carry.
#include <map>
#include <string>
#include <vector>

namespace zlc::test {

struct VectorRecord {
    std::string section;  // the last "[...]" line before the record, brackets removed
    std::map<std::string, std::string> fields;
    int line = 0;  // where the record starts, for failure messages

    bool has(const std::string& key) const { return fields.count(key) != 0; }
    const std::string& at(const std::string& key) const;
};

// Reads tests/vectors/<relative_path>; fails the calling test when the file is missing.
std::vector<VectorRecord> read_vector_file(const std::string& relative_path);

}  // namespace zlc::test
