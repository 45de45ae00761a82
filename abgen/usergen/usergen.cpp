// Sample user database files from a text description, laid out by qpcomm::buildUserRecord.
#include "abgen/usergen/usergen.h"

#include <filesystem>
#include <fstream>

namespace usergen {

namespace {

std::string trimmed(const std::string& text) {
  const char* blanks = " \t\r";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t bar = line.find('|', start);
    fields.push_back(trimmed(line.substr(start, bar - start)));
    if (bar == std::string::npos) return fields;
    start = bar + 1;
  }
}

// The file name for a FILE field, or "" when it names none of the 28 files.
std::string fileNameFor(const std::string& field) {
  if (field.size() != 1) return std::string();
  for (int i = 0; i < qpcomm::kUserDbFileCount; ++i) {
    std::string name = qpcomm::userDbFileName(i);
    if (name.back() == field[0]) return name;
  }
  return std::string();
}

}  // namespace

bool parseDescription(std::istream& in, UserFiles& files, std::string& error) {
  files.clear();
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string text = trimmed(line);
    if (text.empty() || text[0] == '#') continue;
    std::vector<std::string> fields = splitFields(text);
    auto fail = [&](const std::string& reason) {
      error = "line " + std::to_string(number) + ": " + reason;
      return false;
    };
    if (fields.size() != 5) {
      return fail("expected 5 fields separated by '|', found " + std::to_string(fields.size()));
    }
    std::string fileName = fileNameFor(fields[0]);
    if (fileName.empty()) return fail("'" + fields[0] + "' names no user database file");
    files[fileName].push_back(qpcomm::UserRecord{fields[1], fields[2], fields[3], fields[4]});
  }
  return true;
}

bool writeUserFiles(const UserFiles& files, const std::string& directory, std::string& error) {
  for (const auto& [name, users] : files) {
    const std::filesystem::path path = std::filesystem::path(directory) / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    unsigned char record[qpcomm::kUserRecordSize];
    for (const qpcomm::UserRecord& user : users) {
      qpcomm::buildUserRecord(user, record);
      out.write(reinterpret_cast<const char*>(record), sizeof record);
    }
    out.close();
    if (!out) {
      error = "cannot write " + path.string();
      return false;
    }
  }
  return true;
}

}  // namespace usergen
