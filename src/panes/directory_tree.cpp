#include "panes/directory_tree.h"

#include "panes/local_listing.h"

namespace quay {

void DirectoryTree::show(const std::string& dir) {
    m_directory = dir;
    m_entries.clear();
    m_entries.push_back({"/", "/", 0});
    std::string path = "/";
    int depth = 0;
    for (std::size_t start = 1; start < dir.size();) {
        const std::size_t slash = dir.find('/', start);
        const std::size_t end = slash == std::string::npos ? dir.size() : slash;
        if (end > start) {
            const std::string name = dir.substr(start, end - start);
            path += name + '/';
            m_entries.push_back({name, path, ++depth});
        }
        start = end + 1;
    }
    m_itemIndex = static_cast<int>(m_entries.size()) - 1;
    for (std::string& name : localSubdirectories(path))
        m_entries.push_back({name, path + name + '/', depth + 1});
    if (onChanged)
        onChanged();
}

}  // namespace quay
