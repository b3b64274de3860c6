#include "session/remote_operations.h"

#include <set>
#include <utility>

#include "listing/listing_walkers.h"

namespace quay {

bool acceptEntryName(const std::string& name, const std::function<void(const std::string&)>& log) {
    if (isSafeEntryName(name) && name != "." && name != "..")
        return true;
    log("! Skipped, unsafe name: \"" + printableName(name) + "\"");
    return false;
}

std::string changeCase(const std::string& name, int tag) {
    std::string result = name;
    for (char& c : result) {
        if (tag == 0 && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (tag != 0 && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    if (tag == 2 && !result.empty() && result[0] >= 'a' && result[0] <= 'z')
        result[0] = static_cast<char>(result[0] - 'a' + 'A');
    return result;
}

bool namesAnotherEntry(const PaneModel& pane, const std::string& oldName,
                       const std::string& newName) {
    if (newName == oldName)
        return false;
    for (const PaneItem& item : pane.items())
        if (item.caption == newName && item.imageIndex != kUpImage)
            return true;
    return false;
}

std::string parentPath(const std::string& path) {
    std::string p = path;
    if (p.ends_with('/'))
        p.pop_back();
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

std::string lastPathPart(const std::string& path) {
    std::string p = path;
    if (p.ends_with('/'))
        p.pop_back();
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

namespace {

// Selects the rows of a that have no row of the same caption and size text in b.
void markUnpaired(PaneModel& a, const PaneModel& b) {
    auto key = [](const PaneItem& item) {
        return std::pair(item.caption, item.subItems.empty() ? std::string() : item.subItems[0]);
    };
    std::set<std::pair<std::string, std::string>> partners;
    for (const PaneItem& item : b.items())
        partners.insert(key(item));
    a.beginUpdate();
    for (std::size_t i = 0; i < a.count(); ++i)
        a.setSelected(i, partners.count(key(a.item(i))) == 0);
    a.endUpdate();
}

}  // namespace

void compareDirectories(PresentationModel& model) {
    markUnpaired(model.lvLoc(), model.ftpView());
    markUnpaired(model.ftpView(), model.lvLoc());
}

}  // namespace quay
