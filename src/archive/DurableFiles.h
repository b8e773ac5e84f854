// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one safe writer of every file the program writes (text files, year
// files, archives, unpacked waves): the content goes to a temporary sibling
// whose name carries the program's mark, ".<name>.tembrel-<8 hex digits>.tmp",
// is flushed to the disk, renamed over its target, and the folder's new entry
// flushed in turn. A crash leaves the old file whole and, at worst, a marked
// temporary file, which the next write into the same folder removes. Only
// marked names are ever removed: "hours.dat.backup" or "x.tmp123" belong to
// the user. The standard library only, so the archive code uses it too.

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace tembrel::durable {

// A sibling of the target that no file uses yet, with the program's mark.
std::filesystem::path temporarySibling(const std::filesystem::path &target);

// Whether a file name is one that temporarySibling makes.
bool isTemporaryName(const std::string &fileName);

// Removes the marked temporary files that interrupted writes left in the folder.
void removeLeftovers(const std::filesystem::path &folder);

// Makes the folder (its parent must exist) and flushes the new entry into the
// parent folder, so that a file later written into it survives a power cut.
bool makeFolder(const std::filesystem::path &folder);

// One safe write: the constructor removes the folder's leftovers and opens a
// marked temporary sibling; stream() receives the content; commit() closes,
// flushes, renames over the target and flushes the folder. A SafeFile not
// committed removes its temporary file.
class SafeFile final {
public:
    explicit SafeFile(std::filesystem::path target);
    ~SafeFile();
    SafeFile(const SafeFile &) = delete;
    SafeFile &operator=(const SafeFile &) = delete;

    bool isOpen() const { return m_out.is_open(); }
    std::ofstream &stream() { return m_out; }

    enum class Result { Done, WriteFailed, RenameFailed };
    Result commit();
    // Gives the write up: the target stays as it was.
    void discard();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    std::ofstream m_out;
    bool m_pending = true;
};

// Writes the whole content over the target through a SafeFile.
bool writeFile(const std::filesystem::path &target, std::string_view content);

} // namespace tembrel::durable
