// Key-file exports over qpcomm::KeyFileWriter: the writer lives in the caller's control
// block (its `state`) from create to close.
#include <memory>

#include "host/comm/keyfile.h"
#include "hostapi/qpxcomm.h"

namespace {

qpcomm::KeyFileWriter* writerOf(const QPKEYFILE* keyFile) {
  return keyFile ? static_cast<qpcomm::KeyFileWriter*>(keyFile->state) : nullptr;
}

}  // namespace

int32_t QPAPI QPCreateKeyFile(const char* path, uint32_t recordSize, uint32_t keySize,
                              QPKEYFILE* keyFile) {
  if (keyFile == nullptr) return 0;
  *keyFile = QPKEYFILE{};
  if (path == nullptr) return 0;
  try {
    auto writer = std::make_unique<qpcomm::KeyFileWriter>();
    if (!writer->create(path, recordSize, keySize)) return 0;
    keyFile->state = writer.release();
    keyFile->recordSize = recordSize;
    keyFile->keySize = keySize;
    return 1;
  } catch (...) {
    return 0;
  }
}

int32_t QPAPI QPInsertKeyFileRecord(QPKEYFILE* keyFile, const void* record) {
  qpcomm::KeyFileWriter* writer = writerOf(keyFile);
  if (writer == nullptr || record == nullptr) return 0;
  try {
    bool inserted = writer->insert(record);
    keyFile->recordCount = writer->count();
    return inserted;
  } catch (...) {  // out of memory for the key index
    return 0;
  }
}

int32_t QPAPI QPCloseKeyFile(QPKEYFILE* keyFile) {
  std::unique_ptr<qpcomm::KeyFileWriter> writer(writerOf(keyFile));
  if (!writer) return 0;
  keyFile->state = nullptr;
  try {
    return writer->close();
  } catch (...) {
    return 0;
  }
}
