#include "sxISOLib/PathTableOrder.h"

#include "sxISOLib/DiscTree.h"

#include <algorithm>

namespace zelvane {

void orderPathTables(TDiscTree &tree)
{
    std::vector<TDEntry *> order;
    order.reserve(tree.Directories().size());
    order.push_back(tree.Root());
    std::vector<TDEntry *> children;
    for (std::size_t next = 0; next < order.size(); ++next) {
        children.clear();
        for (TFEntry *entry = order[next]->FirstChild; entry; entry = entry->Next)
            if (entry->Directory)
                children.push_back(entry->Directory);
        std::stable_sort(children.begin(), children.end(),
                         [](const TDEntry *a, const TDEntry *b) { return a->IsoName < b->IsoName; });
        order.insert(order.end(), children.begin(), children.end());
    }
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i]->Number = static_cast<std::uint32_t>(i + 1);
    tree.IsoOrder() = order;
    tree.JolietOrder() = std::move(order);
}

} // namespace zelvane
