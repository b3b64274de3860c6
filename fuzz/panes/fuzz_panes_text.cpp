#include <cstddef>
#include <cstdint>
#include <string_view>

#include "panes/chmod_model.h"
#include "panes/list_order.h"
#include "panes/name_mask.h"
#include "panes/text_split.h"

// The input is a mask and a name separated by the first newline; both also serve as the
// texts of two list rows, the attribute text of the permissions dialog and its edit.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t cut = input.find('\n');
    std::string_view mask = input.substr(0, cut);
    std::string_view name = cut == std::string_view::npos ? input : input.substr(cut + 1);

    quay::matchMask(name, mask);
    quay::matchWild(mask, name);
    for (char delimiter : {' ', '.', ','})
        quay::splitString(delimiter, input);

    quay::PaneItem a, b;
    a.caption = mask;
    a.subItems = {std::string(mask), std::string(mask)};
    b.caption = name;
    b.subItems = {std::string(name), std::string(name)};
    for (int key = -6; key <= 6; ++key)
        if (quay::ftpViewCompare(a, b, key) != -quay::ftpViewCompare(b, a, key))
            __builtin_trap();

    quay::ChmodModel chmod(mask);
    chmod.setEditText(name);
    chmod.clickRowButton(1);
    if (auto mode = chmod.result(quay::ChmodModel::Close::Ok); mode && (*mode < 0 || *mode > 999))
        __builtin_trap();
    return 0;
}
