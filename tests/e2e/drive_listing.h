#pragma once
// A listing of a whole folder tree, to prove that an installation (or a removal) wrote nothing
// outside the places it documents: take one before, one after, and compare.
#include <map>
#include <string>
#include <vector>

namespace e2e {

// Every file and folder under `root`, keyed by its path relative to `root` in lower case
// (Windows compares paths without regard to case); a folder's key ends with a backslash. The
// value is what a change shows in: a file's size and last-write time, empty for a folder.
// Folders that change by themselves (the temporary folders) are left out.
using TreeListing = std::map<std::wstring, std::wstring>;
TreeListing ListTree(const std::wstring& root);

// The keys that differ between two listings: added, removed, or changed (size or time), each
// as "+ key", "- key" or "* key", in key order.
std::vector<std::wstring> CompareListings(const TreeListing& before, const TreeListing& after);

// The differences that are not under one of `allowed` (relative keys in lower case, a folder's
// ending with a backslash: the folder and everything under it; a file's: that file alone).
std::vector<std::wstring> UnexpectedChanges(const std::vector<std::wstring>& changes,
                                            const std::vector<std::wstring>& allowed);

}  // namespace e2e
