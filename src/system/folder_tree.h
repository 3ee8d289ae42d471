// Removal of whole folder trees.
#pragma once

#include <string>

// Removes the folder and everything in it; what cannot be removed (a file in use) stays
// with the folders that hold it. Read-only files and folders are removed too. A link
// (junction or symbolic link) inside the tree, or the path itself being one, is removed
// as a link: its target is never entered. Paths of three characters or fewer (C:\) are
// left alone.
void DeleteFolderTree(const std::wstring& path);

// Removes <roaming application data>\Corvane as a tree and returns that path.
std::wstring RemoveMakerAppDataFolder();
