// Copies brought to stable storage together. Making each copy durable on its own costs a flush of
// the file and one of its folder, one after the other; for thousands of small files (an unpacked
// archive) those flushes, not the bytes, are the time. A batch copies each file into a temporary
// beside its destination when it is staged, and its commit makes all of them durable at once,
// renames each over its destination and makes the renames durable. A destination is always
// either replaced whole or left as it was. Any thread, one at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/FileCopy.h"

namespace pellmar::platform {

class CopyBatch {
public:
    // Removes the temporaries of copies staged but not committed; their destinations stay.
    virtual ~CopyBatch() = default;

    // Copies `source` into a temporary beside `destination`; Copied says the copy is staged (a
    // failure leaves nothing behind and is not part of the batch). Where the system offers no
    // cheaper way (Windows), the whole durable copy is made here.
    virtual CopyResult Stage(const std::string& source, const std::string& destination) = 0;

    // The final result of each copy staged since the last commit, in the order they were staged:
    // Copied once it is in place and on stable storage. The batch is empty afterwards.
    virtual std::vector<CopyResult> Commit() = 0;

    static std::unique_ptr<CopyBatch> Create();

    // A batch whose copies are made by `lanes` threads of its own, each with a batch of its own,
    // so that a second core shares the work of thousands of small files. Its Stage always takes
    // the copy; a copy that cannot be staged is reported by the commit. Copies to one destination
    // keep their order.
    static std::unique_ptr<CopyBatch> CreateConcurrent(unsigned lanes);
};

}  // namespace pellmar::platform
