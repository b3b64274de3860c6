#include "panes/directory_tree.h"

#include "panes/list_order.h"
#include "panes/local_listing.h"

namespace quay {

namespace {

void sortNames(std::vector<std::string>& names) {
    std::vector<PaneItem> rows(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        rows[i].caption = std::move(names[i]);
    sortPaneRows(rows, 0);
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = std::move(rows[i].caption);
}

}  // namespace

void DirectoryTree::show(const std::string& dir) {
    show(dir, localSubdirectories(dir));
}

void DirectoryTree::show(const std::string& dir, std::vector<std::string> subdirectories) {
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
    sortNames(subdirectories);
    for (std::string& name : subdirectories)
        m_entries.push_back({name, path + name + '/', depth + 1});
    if (onChanged)
        onChanged();
}

}  // namespace quay
