// Removal of whole folder trees, links and leftovers, and the files in use that stop it.
#pragma once

#include <windows.h>

#include <string>

// The path a handle finally reached (links followed, long names, exact case, with the
// "\\?\" prefix); empty when the platform cannot tell.
std::wstring FinalPathOfHandle(HANDLE opened);

// Removes the folder and everything in it; what cannot be removed (a file in use) stays
// with the folders that hold it. Read-only files and folders are removed too. A link
// (junction or symbolic link) inside the tree, or the path itself being one, is removed
// as a link: its target is never entered. Paths of three characters or fewer (C:\) are
// left alone.
void DeleteFolderTree(const std::wstring& path);

// True when what `path` finally opens is not the entry of that name in its own folder: a
// junction or symbolic link, also one the platform does not show as a reparse point (Wine
// shows a Linux link to a file as the file itself). False when nothing is there.
bool LeadsElsewhere(const std::wstring& path);

// True when a folder of `path` below `base` (base itself not counted) leads elsewhere: a
// junction, a symbolic link, or a link the platform resolves. Folders of the path that do
// not exist yet count as none. For the user's own folders (the log, the hand-over copy):
// `base` is what the platform names as the user's folder, wherever that itself lies.
bool HasLinkBelow(const std::wstring& base, const std::wstring& path);

// Whether `folder` holds the product: its Lumetra.exe is a file there (not a link).
bool HoldsProduct(const std::wstring& folder);
// Whether `folder` may be taken for an installation to replace or remove: named like the
// product's folder and holding the product. A stale or edited registration that names any
// other folder (Documents, a drive root) never has it removed.
bool IsProductFolder(const std::wstring& folder);

// Removes what `path` names as itself: a folder as a tree (DeleteFolderTree), a link, also
// one the platform shows as a plain file or folder, as the link alone, never what it leads
// to. A plain file stays. What cannot be removed stays.
void RemoveLeftover(const std::wstring& path);

// Whether the platform's error says another program holds the file or folder (refused
// sharing, a locked range, or access denied, as Windows answers for a folder whose files
// are open).
bool IsInUseError(unsigned long error);

// A file in the tree that another program holds so that it could not be removed now (open
// without sharing deletion), as its path, with the platform's error in *error; empty when
// there is none. Links are not entered.
std::wstring FindFileInUse(const std::wstring& folder, unsigned long* error);

// Whether `opened` (opened with FILE_FLAG_OPEN_REPARSE_POINT) is the entry `path` names
// itself: it shows a reparse point (the link, not what it leads to), or it finally opens as
// that entry of its folder. Wine opens a Linux symbolic link's target even so; whatever is
// done through such a handle (a rename, a delete) happens to the target.
bool OpensEntryItself(HANDLE opened, const std::wstring& path);

// Deletes the link at `path` itself through a handle to the link, never by a path
// operation that could resolve it: where the platform resolves the link even so (Wine
// does for Linux symbolic links; a plain delete there removes the target), the handle
// shows no reparse point and both link and target are left alone. True when it goes.
bool RemoveLink(const std::wstring& path);

// DeleteFolderTree, tried again every 100 ms for up to `timeoutMs` while something is left
// (a program that has just ended, or a transfer that is closing, may hold a file or the
// folder a moment longer). True when the folder is gone.
bool DeleteFolderTreeWithin(const std::wstring& path, unsigned timeoutMs);

// Removes <roaming application data>\Corvane as a tree and returns that path.
std::wstring RemoveMakerAppDataFolder();
