// Makes the ISO 9660 identifiers inside every directory unique, so that no
// reader sees two entries of one name.
#pragma once

namespace zelvane {

class TDiscTree;

// Within each directory the first entry of a name keeps it; each later one
// gets NAME~N.EXT with the smallest free N (folders keep their TDEntry and
// TFEntry names equal).
void makeIsoNamesUnique(TDiscTree &tree);

} // namespace zelvane
