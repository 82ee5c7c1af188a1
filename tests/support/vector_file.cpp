#include "tests/support/vector_file.h"

#include <fstream>
#include <stdexcept>

namespace zlc::test {
namespace {
std::string trim(const std::string& s) {
    const auto begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    const auto end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}
}  // namespace

const std::string& VectorRecord::at(const std::string& key) const {
    auto it = fields.find(key);
    if (it == fields.end()) throw std::out_of_range("vector record at line " + std::to_string(line) + " has no " + key);
    return it->second;
}

std::vector<VectorRecord> read_vector_file(const std::string& relative_path) {
    const std::string path = std::string(ZLC_VECTOR_DIR) + "/" + relative_path;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open vector file " + path);
    std::vector<VectorRecord> records;
    VectorRecord current;
    std::string section;
    std::string raw;
    int line_number = 0;
    auto flush = [&] {
        if (!current.fields.empty()) records.push_back(current);
        current = VectorRecord{};
    };
    while (std::getline(in, raw)) {
        ++line_number;
        const std::string line = trim(raw);
        if (line.empty()) {
            flush();
            continue;
        }
        if (line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            flush();
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            // A bare word such as "ENCRYPT" or "DECRYPT" in CAVP files acts as a section too.
            flush();
            section = line;
            continue;
        }
        if (current.fields.empty()) {
            current.section = section;
            current.line = line_number;
        }
        current.fields[trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
    }
    flush();
    return records;
}

}  // namespace zlc::test
