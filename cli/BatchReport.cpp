#include "BatchReport.h"

namespace qrdesk::cli {

const char* Plural(std::int64_t n, const char* one, const char* many) {
    return n == 1 ? one : many;
}

}  // namespace qrdesk::cli
