// The temporary file a save is written to before it takes the saved file's place: it never outlives the
// write, whether the write fails, succeeds or the program is interrupted.
#pragma once

#include <string>

class WbTemporaryFile final {
public:
    // Creates the file beside target, with the permissions target already has or, for a new file, those an
    // ordinary file gets under the user's umask. Throws std::system_error when no file can be made there.
    explicit WbTemporaryFile(const std::string& target);
    WbTemporaryFile(const WbTemporaryFile&) = delete;
    WbTemporaryFile& operator=(const WbTemporaryFile&) = delete;
    // Closes the file and removes it, unless it has been moved into place.
    ~WbTemporaryFile();

    const std::string& GetPath() const { return mPath; }
    int GetDescriptor() const { return mDescriptor; }
    // Closes the descriptor; false with errno set when the close reports an error.
    bool Close();
    // Renames the file to target; false with errno set when it cannot.
    bool MoveTo(const std::string& target);

    // The file a path finally names: a symbolic link is followed, link by link, to the file it points to,
    // so that saving through a link replaces the file and keeps the link.
    static std::string FinalTarget(const std::string& path);

private:
    std::string mPath;
    int mDescriptor = -1;
};
