// A disk for fault tests: everything goes to the real file system (a scratch
// folder, say), except the operations a test marks to fail, counted down as
// they come: the Nth write, sync or close of a created file, the opening or
// creation of a path, the folder lock, a listing, the replacement, and
// another process's changes to the folder just before the replacement.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/disk.hpp"

namespace testing_support {

class FakeDisk : public Disk {
  public:
    struct Faults {
        int failWrite = 0;        // this write to a created file and every later one fail (0: none)
        int failSync = 0;         // this sync of a created file fails
        int failClose = 0;        // this close of a created file fails (it is still closed)
        std::string failOpen{};   // opening this path for reading fails
        std::string failCreate{}; // creating this path fails
        bool failLock = false;
        int failListAfter = -1; // a listing fails after this many names (-1: never)
        bool failReplace = false;
        bool removeBeforeReplace = false; // the file to be moved is gone when it is moved
        // Just before the replacement, the file to be moved is swapped for a
        // symbolic link to this file (none: not swapped).
        std::string linkBeforeReplace{};
        bool replaceDestinationBeforeReplace = false; // by a copy of itself
        bool failAttributes = false;                  // the destination's attributes cannot be told
    };

    explicit FakeDisk(Faults faults);

    std::unique_ptr<ByteSource> openRead(const std::string& path) override;
    std::unique_ptr<ByteSink> standardOutput() override { return real_.standardOutput(); }
    bool list(const std::string& folder, const std::string& pattern,
              std::vector<std::string>& names) override;
    std::unique_ptr<Folder> openFolder(const std::string& path) override;
    std::unique_ptr<Folder> openFolderOf(const std::string& path, std::string& name) override;
    std::unique_ptr<ByteSink> createPrivate(std::string& path) override {
        return real_.createPrivate(path);
    }
    void remove(const std::string& path) override { real_.remove(path); }
    bool isSameFile(const std::string& path, const ByteSource::Identity& file) override {
        return real_.isSameFile(path, file);
    }
    std::string finalTarget(const std::string& path) override { return real_.finalTarget(path); }

    // Operations on created files so far.
    int writes = 0;
    int syncs = 0;
    int closes = 0;

  private:
    class Sink;
    class FakeFolder;

    Faults faults_;
    RealDisk real_;
};

} // namespace testing_support
