// The Windows batch makes each copy whole and durable at Stage (write-through rename): a flush of
// a whole volume needs privileges a user's program does not have.
#include "platform/CopyBatch.h"

#include <utility>

namespace pellmar::platform {
namespace {

class WholeCopyBatch final : public CopyBatch {
public:
    CopyResult Stage(const std::string& source, const std::string& destination) override {
        const CopyResult result = CopyFileReplacing(source, destination);
        if (result == CopyResult::Copied) results_.push_back(result);
        return result;
    }
    std::vector<CopyResult> Commit() override { return std::exchange(results_, {}); }

private:
    std::vector<CopyResult> results_;
};

}  // namespace

std::unique_ptr<CopyBatch> CopyBatch::Create() { return std::make_unique<WholeCopyBatch>(); }

}  // namespace pellmar::platform
