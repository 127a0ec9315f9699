#pragma once

#include "ClassRecord.h"
#include "Object.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fw {

class Sound;
class TextInputStream;

// A file or folder by path. It need not exist.
class FolderItem : public Object {
public:
    static Ref<FolderItem> Create(const std::string& path);
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    const std::string& NativePath() const { return m_path; }
    std::string Name() const;

    // The item `name` inside this folder; nil when `name` is empty, is "." or
    // "..", or holds a "/" or a NUL.
    RefPtr<FolderItem> Child(const std::string& name) const;
    RefPtr<FolderItem> Parent() const;

    bool Exists() const;
    bool IsFolder() const;
    // The file open for reading; nil when it is not a regular file or cannot
    // be opened. At most `byteLimit` bytes are read (see TextInputStream).
    RefPtr<TextInputStream> OpenAsTextFile(size_t byteLimit = SIZE_MAX) const;
    RefPtr<Sound> OpenAsSound() const;

private:
    explicit FolderItem(std::string path)
        : m_path(std::move(path))
    {
    }
    std::string m_path;
};

// SpecialFolder.Preferences: the XDG configuration folder ($XDG_CONFIG_HOME
// when it is an absolute path, else $HOME/.config), created when missing;
// nil when there is none or it cannot be created, and then `problem`, when
// given, says why, in words for a one-line message.
namespace SpecialFolder {
RefPtr<FolderItem> Preferences(std::string* problem = nullptr);
}

}
