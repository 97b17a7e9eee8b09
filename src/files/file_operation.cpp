#include "files/file_operation.h"

#include "files/path_buffer.h"
#include "platform/file_primitives.h"
#include "platform/platform.h"

namespace orvinta::files {

namespace {

namespace pf = platform;
using pf::CreateDirectoryChain;
using pf::IsFolder;

pf::Files& Fs() { return *pf::Get().files; }

uint32_t LastError() { return Fs().GetLastError(); }

// Where the last component begins.
size_t NameStart(std::u16string_view path) {
  size_t start = path.size();
  while (start > 0 && !Fs().IsPathSeparator(path, start - 1)) --start;
  return start;
}

bool HasWildcard(std::u16string_view path) {
  return path.substr(NameStart(path)).find_first_of(u"*?") != std::u16string_view::npos;
}

// Searches never list "." and ".."; a platform that did must not send a walk round in a circle.
bool IsDotEntry(const char16_t* name) {
  return name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0));
}

// Whether `inner` is `outer` or lies below it, letters compared without regard to case.
bool IsSameOrBelow(const PathBuffer& inner, const PathBuffer& outer) {
  if (inner.Size() < outer.Size()) return false;
  if (inner.Size() > outer.Size() && !Fs().IsPathSeparator(inner.View(), outer.Size())) return false;
  PathBuffer head(inner.View().substr(0, outer.Size()));
  return pf::Get().text->CompareNoCase(head.Data(), outer.Data()) == 0;
}

// What a walk does with a failure: the file operation stops at the first and reports it; FILE's
// folder copy passes over what fails and goes on.
enum class OnFailure { kStop, kGoOn };

bool IsFolderEntry(uint32_t attributes) { return (attributes & pf::kFileAttributeDirectory) != 0; }

// Calls visit(child, attributes) for every entry of the folder, with the child's path in `folder`
// for the time of the call. Stops at the first failure and returns it, unless told to go on.
template <typename Visit>
uint32_t ForEachChild(PathBuffer& folder, Visit visit, OnFailure onFailure = OnFailure::kStop) {
  const size_t length = folder.Size();
  if (!folder.Append(u"\\*")) return win::kErrorFilenameExceedsRange;
  pf::FindData found;
  pf::SearchHandle search = Fs().FindFirstFileW(folder.Data(), &found);
  folder.Truncate(length);
  if (search == pf::kInvalidHandleValue) return 0;  // an empty folder
  uint32_t error = 0;
  do {
    if (IsDotEntry(found.name)) continue;
    if (!folder.Join(found.name)) {
      error = win::kErrorFilenameExceedsRange;
    } else {
      error = visit(folder, found.attributes);
      folder.Truncate(length);
    }
    if (onFailure == OnFailure::kGoOn) error = 0;
  } while (error == 0 && Fs().FindNextFileW(search, &found));
  Fs().FindClose(search);
  return error;
}

uint32_t Remove(PathBuffer& path, uint32_t attributes) {
  const bool folder = IsFolderEntry(attributes);
  // A link goes as itself, whatever it leads to: a walk never goes through one.
  if ((attributes & pf::kFileAttributeReparsePoint) != 0) {
    return (folder ? Fs().RemoveDirectoryW(path.Data()) : Fs().DeleteFileW(path.Data())) ? 0 : LastError();
  }
  if (!folder) return Fs().DeleteFileW(path.Data()) ? 0 : LastError();
  uint32_t error = ForEachChild(path, Remove);
  if (error != 0) return error;
  return Fs().RemoveDirectoryW(path.Data()) ? 0 : LastError();
}

// A second path that follows the first one's walk down a tree.
struct Walk {
  PathBuffer& target;
  uint32_t (*step)(PathBuffer& from, PathBuffer& to, uint32_t attributes, OnFailure onFailure);
  OnFailure onFailure = OnFailure::kStop;
  uint32_t operator()(PathBuffer& child, uint32_t attributes) const {
    const size_t length = target.Size();
    if (!target.Join(child.View().substr(NameStart(child.View())))) return win::kErrorFilenameExceedsRange;
    uint32_t error = step(child, target, attributes, onFailure);
    target.Truncate(length);
    return error;
  }
};

// Makes `path` a folder, or finds it one already.
uint32_t MakeFolder(const PathBuffer& path) {
  if (Fs().CreateDirectoryW(path.Data())) return 0;
  uint32_t error = LastError();
  return IsFolder(path.Data()) ? 0 : error;
}

uint32_t Copy(PathBuffer& from, PathBuffer& to, uint32_t attributes, OnFailure onFailure = OnFailure::kStop) {
  if (!IsFolderEntry(attributes)) return Fs().CopyFileW(from.Data(), to.Data(), false) ? 0 : LastError();
  if (uint32_t error = MakeFolder(to); error != 0 && onFailure == OnFailure::kStop) return error;
  return ForEachChild(from, Walk{to, Copy, onFailure}, onFailure);
}

uint32_t Move(PathBuffer& from, PathBuffer& to, uint32_t attributes, OnFailure = OnFailure::kStop) {
  if (Fs().MoveFileW(from.Data(), to.Data())) return 0;
  const bool folder = IsFolderEntry(attributes);
  const uint32_t error = LastError();
  if (error == win::kErrorAlreadyExists && folder) {
    if (!IsFolder(to.Data())) return error;
    // Into a folder of the same name: the two are merged, the moved one's files replacing.
    if (uint32_t failed = ForEachChild(from, Walk{to, Move}); failed != 0) return failed;
    return Fs().RemoveDirectoryW(from.Data()) ? 0 : LastError();
  }
  // A file that replaces another, or anything that goes to another volume: copied, then removed.
  // A file copied onto itself fails here (32) and nothing is lost.
  if (error == win::kErrorAlreadyExists || error == win::kErrorNotSameDevice) {
    if (uint32_t failed = Copy(from, to, attributes); failed != 0) return failed;
    return Remove(from, attributes);
  }
  return error;
}

// A rename that changes only the case of the name. Windows' MoveFileW makes it in one step, but
// some file systems report it made and keep the old name (Wine's among them), so it goes by a
// name of its own in between, put back when the second step fails.
uint32_t RenameCase(const PathBuffer& from, const PathBuffer& to) {
  PathBuffer between(from.View());
  if (!between.Append(u"~case")) return win::kErrorFilenameExceedsRange;
  if (!Fs().MoveFileW(from.Data(), between.Data())) return LastError();
  if (Fs().MoveFileW(between.Data(), to.Data())) return 0;
  const uint32_t error = LastError();
  Fs().MoveFileW(between.Data(), from.Data());
  return error;
}

// Makes what a move or a copy needs before its first entry: the destination folder that receives
// the sources, or the folders above the one source's new name.
uint32_t MakeDestination(const PathBuffer& target, bool intoFolder) {
  PathBuffer chain(target.View());
  if (!intoFolder) {
    CreateDirectoryChain(chain.Data());  // the folders before the last "\"
    return 0;
  }
  if (target.Size() == 0) return 0;  // the root
  if (!chain.Append(u"\\")) return win::kErrorFilenameExceedsRange;
  CreateDirectoryChain(chain.Data());
  return MakeFolder(target);
}

// Calls act(item, attributes) for the source, or for every entry that its wildcards match.
template <typename Act>
uint32_t ForEachMatch(std::u16string_view source, Act act) {
  PathBuffer item;
  if (!item.Assign(source)) return win::kErrorFilenameExceedsRange;
  if (!HasWildcard(source)) {
    pf::FileAttributeData data;
    if (!Fs().GetFileAttributesExW(item.Data(), &data)) return LastError();
    return act(item, data.attributes);
  }
  pf::FindData found;
  pf::SearchHandle search = Fs().FindFirstFileW(item.Data(), &found);
  if (search == pf::kInvalidHandleValue) return LastError();
  const size_t folderLength = NameStart(source);
  uint32_t error = 0;
  do {
    if (IsDotEntry(found.name)) continue;
    item.Truncate(folderLength);
    error = item.Append(found.name) ? act(item, found.attributes) : win::kErrorFilenameExceedsRange;
  } while (error == 0 && Fs().FindNextFileW(search, &found));
  Fs().FindClose(search);
  return error;
}

}  // namespace

int CopyDirectoryTree(const char16_t* source, const char16_t* destination) {
  PathBuffer from, to, chain;
  if (!from.Assign(source) || !to.Assign(destination) || !chain.Assign(destination) || !chain.Append(u"\\")) return 1;
  CreateDirectoryChain(chain.Data());
  Copy(from, to, pf::kFileAttributeDirectory, OnFailure::kGoOn);
  return 1;
}

bool PathList::Next(std::u16string_view* path) {
  size_t end = rest_.find(u'\0');
  std::u16string_view next = rest_.substr(0, end);
  if (next.empty()) return false;
  rest_ = end == std::u16string_view::npos ? std::u16string_view() : rest_.substr(end + 1);
  *path = next;
  return true;
}

uint32_t PerformFileOperation(FileOperation operation, std::u16string_view sources,
                              std::u16string_view destinations) {
  PathList list(sources);
  std::u16string_view source;
  if (operation == FileOperation::kDelete) {
    while (list.Next(&source)) {
      if (uint32_t error = ForEachMatch(source, Remove); error != 0) return error;
    }
    return 0;
  }

  std::u16string_view destination;
  if (!PathList(destinations).Next(&destination)) return win::kErrorPathNotFound;  // as for the path ""
  PathBuffer target;
  if (!target.Assign(destination)) return win::kErrorFilenameExceedsRange;
  bool intoFolder = false;
  while (!destination.empty() && Fs().IsPathSeparator(destination, destination.size() - 1)) {
    destination.remove_suffix(1);
    intoFolder = true;
  }
  target.Truncate(destination.size());
  size_t count = 0;
  PathBuffer first;
  for (PathList counting(sources); counting.Next(&source); ++count) {
    if (count == 0) first.Assign(source);
    intoFolder = intoFolder || HasWildcard(source);
  }
  // A folder given its own name in another case is renamed, not moved into itself.
  const bool ownName = count == 1 && first.Size() == target.Size() && IsSameOrBelow(first, target);
  intoFolder = intoFolder || count > 1 || (!destination.empty() && !ownName && IsFolder(target.Data()));

  bool destinationMade = false;  // once a source has been found
  auto act = [&](PathBuffer& item, uint32_t attributes) -> uint32_t {
    const bool folder = IsFolderEntry(attributes);
    if (!destinationMade) {
      if (uint32_t error = MakeDestination(target, intoFolder); error != 0) return error;
      destinationMade = true;
    }
    PathBuffer to(target.View());
    if (intoFolder && !to.Join(item.View().substr(NameStart(item.View())))) return win::kErrorFilenameExceedsRange;
    if (IsSameOrBelow(to, item)) {
      const bool sameLength = to.Size() == item.Size();
      if (operation == FileOperation::kMove && sameLength &&
          to.View().substr(NameStart(to.View())) != item.View().substr(NameStart(item.View()))) {
        return RenameCase(item, to);
      }
      // A folder can't go into itself; a file moved onto itself stays as it is, as on Windows.
      if (folder) return win::kErrorInvalidParameter;
      if (operation == FileOperation::kMove && sameLength) return 0;
    }
    return operation == FileOperation::kCopy ? Copy(item, to, attributes) : Move(item, to, attributes);
  };
  while (list.Next(&source)) {
    if (uint32_t error = ForEachMatch(source, act); error != 0) return error;
  }
  return 0;
}

}  // namespace orvinta::files
