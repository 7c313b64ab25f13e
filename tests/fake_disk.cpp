#include "fake_disk.hpp"

#include <algorithm>
#include <filesystem>

namespace testing_support {

class FakeDisk::Sink : public ByteSink {
  public:
    Sink(std::unique_ptr<ByteSink> real, FakeDisk& disk) : real_(std::move(real)), disk_(disk) {}

    long write(const char* data, std::size_t size) override {
        const int failAt = disk_.faults_.failWrite;
        if (++disk_.writes >= failAt && failAt > 0) {
            return -1;
        }
        return real_->write(data, size);
    }
    bool sync() override { return ++disk_.syncs != disk_.faults_.failSync && real_->sync(); }
    bool close() override {
        const bool closed = real_->close();
        return ++disk_.closes != disk_.faults_.failClose && closed;
    }
    bool takeAttributesOf(const ByteSource& original) override {
        return !disk_.faults_.failAttributes && real_->takeAttributesOf(original);
    }

  private:
    std::unique_ptr<ByteSink> real_;
    FakeDisk& disk_;
};

FakeDisk::FakeDisk(Faults faults) : faults_(std::move(faults)) {}

std::unique_ptr<ByteSource> FakeDisk::openRead(const std::string& path) {
    return path == faults_.failOpen ? nullptr : real_.openRead(path);
}

class FakeDisk::FakeFolder : public Folder {
  public:
    FakeFolder(std::unique_ptr<Folder> real, FakeDisk& disk)
        : real_(std::move(real)), disk_(disk) {}

    const std::string& path() const override { return real_->path(); }
    std::unique_ptr<ByteSource> openRead(const std::string& name) override {
        return path() + name == disk_.faults_.failOpen ? nullptr : real_->openRead(name);
    }
    std::unique_ptr<ByteSink> createNew(const std::string& name) override {
        if (path() + name == disk_.faults_.failCreate) {
            return nullptr;
        }
        std::unique_ptr<ByteSink> sink = real_->createNew(name);
        return sink ? std::make_unique<Sink>(std::move(sink), disk_) : nullptr;
    }
    Replaced replace(const std::string& from, const std::string& to,
                     const Identity& original) override {
        const Faults& faults = disk_.faults_;
        const std::filesystem::path folder = path().empty() ? "." : path();
        if (faults.failReplace) {
            return Replaced::Failed;
        }
        if (faults.removeBeforeReplace) {
            real_->remove(from);
        }
        if (!faults.linkBeforeReplace.empty()) {
            // Moved away, and a link to another file put in its place.
            std::filesystem::rename(folder / from, folder / (from + ".moved"));
            std::filesystem::create_symlink(faults.linkBeforeReplace, folder / from);
        }
        if (faults.replaceDestinationBeforeReplace) {
            std::filesystem::copy_file(folder / to, folder / (to + ".copy"));
            std::filesystem::rename(folder / (to + ".copy"), folder / to);
        }
        return real_->replace(from, to, original);
    }
    void remove(const std::string& name) override { real_->remove(name); }
    std::unique_ptr<FolderLock> lock(std::optional<unsigned> seconds,
                                     const std::function<void()>& waiting,
                                     Locked& result) override {
        if (disk_.faults_.failLock) {
            result = Locked::Failed;
            return nullptr;
        }
        return real_->lock(seconds, waiting, result);
    }
    bool openToAll() override { return real_->openToAll(); }
    int probeWrite(const std::string& name) override { return real_->probeWrite(name); }
    std::unique_ptr<ByteSink> openAppend(const std::string& name, bool& endsLine) override {
        return real_->openAppend(name, endsLine);
    }
    int probeAppend(const std::string& name) override { return real_->probeAppend(name); }

  private:
    std::unique_ptr<Folder> real_;
    FakeDisk& disk_;
};

std::unique_ptr<Folder> FakeDisk::openFolder(const std::string& path) {
    std::unique_ptr<Folder> real = real_.openFolder(path);
    return real ? std::make_unique<FakeFolder>(std::move(real), *this) : nullptr;
}

std::unique_ptr<Folder> FakeDisk::openFolderOf(const std::string& path, std::string& name) {
    std::unique_ptr<Folder> real = real_.openFolderOf(path, name);
    return real ? std::make_unique<FakeFolder>(std::move(real), *this) : nullptr;
}

bool FakeDisk::list(const std::string& folder, const std::string& pattern,
                    std::vector<std::string>& names) {
    const bool listed = real_.list(folder, pattern, names);
    if (faults_.failListAfter < 0) {
        return listed;
    }
    names.resize(std::min(names.size(), static_cast<std::size_t>(faults_.failListAfter)));
    return false;
}

} // namespace testing_support
