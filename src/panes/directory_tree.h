#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quay {

// The headless model of the local directory tree (dlbx): the path from the root "/" down to
// the shown directory, one entry per level, then the shown directory's subdirectories one
// level deeper. The highlighted entry (itemIndex) is the shown directory; entry 0 is the root,
// so an index above 0 means "not the root".
class DirectoryTree {
public:
    struct Entry {
        std::string name;  // the directory's name as bytes; "/" for the root
        std::string path;  // the full path, ending in "/"
        int depth = 0;     // 0 for the root
    };

    // Fired after every show().
    std::function<void()> onChanged;

    // Shows dir (absolute, ending in "/") with its subdirectories read from disk now.
    void show(const std::string& dir);
    // Shows dir with the given subdirectory names (any order; shown in the panes' name order),
    // for a caller that has just read the directory anyway.
    void show(const std::string& dir, std::vector<std::string> subdirectories);

    const std::vector<Entry>& entries() const { return m_entries; }
    int itemIndex() const { return m_itemIndex; }
    // The shown directory ("" before the first show()).
    const std::string& directory() const { return m_directory; }

private:
    std::vector<Entry> m_entries;
    int m_itemIndex = -1;
    std::string m_directory;
};

}  // namespace quay
