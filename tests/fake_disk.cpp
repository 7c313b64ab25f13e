#include "fake_disk.hpp"

#include <algorithm>

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

  private:
    std::unique_ptr<ByteSink> real_;
    FakeDisk& disk_;
};

FakeDisk::FakeDisk(Faults faults) : faults_(std::move(faults)) {}

std::unique_ptr<ByteSource> FakeDisk::openRead(const std::string& path) {
    return path == faults_.failOpen ? nullptr : real_.openRead(path);
}

std::unique_ptr<ByteSink> FakeDisk::createNew(const std::string& path) {
    if (path == faults_.failCreate) {
        return nullptr;
    }
    std::unique_ptr<ByteSink> sink = real_.createNew(path);
    return sink ? std::make_unique<Sink>(std::move(sink), *this) : nullptr;
}

std::unique_ptr<FolderLock> FakeDisk::lockFolder(const std::string& folder) {
    return faults_.failLock ? nullptr : real_.lockFolder(folder);
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

bool FakeDisk::replace(const std::string& from, const std::string& to) {
    if (faults_.failReplace) {
        return false;
    }
    if (faults_.removeBeforeReplace) {
        real_.remove(from);
    }
    return real_.replace(from, to);
}

} // namespace testing_support
