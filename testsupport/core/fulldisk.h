#pragma once
// Test only: a folder on a full disk. Where the test may mount (root), it is
// a small tmpfs of its own, filled to the last byte, so every write there
// fails with ENOSPC from the system. Where it may not, it is an ordinary
// folder and the writers' seam points every file opened for writing under it
// at /dev/full, so the failure still comes from the write after a good open.
// Kind() says which one a test ran on.
#include <QString>
#include <QTemporaryDir>

namespace testing_support {

class FullDisk {
 public:
  // `bytes`: the size of the small file system (rounded to pages);
  // `mount` false takes the seam even where a mount would work.
  explicit FullDisk(qint64 bytes = 256 * 1024, bool mount = true);
  ~FullDisk();
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  bool Ok() const { return ok_; }
  bool Mounted() const { return mounted_; }
  // "tmpfs" or "seam (/dev/full)".
  QString Kind() const;
  // The folder, with no trailing "/".
  QString Path() const { return path_; }

  // Takes every byte left (tmpfs: a filler file; seam: the writes fail from
  // now on). False when the disk could not be filled.
  bool Fill();
  // Frees the room again, as a proctor deleting files would.
  void Free();
  // Mounted only: the file system becomes read-only, so no file there can
  // be made, replaced or removed. False when it could not be.
  bool MakeReadOnly();

 private:
  QTemporaryDir dir_;
  QString path_;
  bool ok_ = false;
  bool mounted_ = false;
};

}  // namespace testing_support
