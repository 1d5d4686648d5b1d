// Order of the directories in the path tables and their numbers.
#pragma once

namespace zelvane {

class TDiscTree;

// Orders both path-table arrays of the tree: the root, then the directories
// level by level, grouped by parent in parent order, and within one parent in
// ascending byte order of their ISO names. The Joliet array takes the same
// order. Every directory's Number becomes its position from 1.
void orderPathTables(TDiscTree &tree);

} // namespace zelvane
