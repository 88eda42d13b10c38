// The process-wide skin source record.
#include "ui/core/SkinSource.h"

namespace SkinUI {

TSkinSource& SkinSource() {
    static TSkinSource source;
    return source;
}

}  // namespace SkinUI
