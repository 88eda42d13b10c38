// The live count behind the GDI handle wrappers.
#include "ui/core/GdiHandle.h"

namespace SkinUI {

int& GdiLiveCount() {
    static int count = 0;
    return count;
}

}  // namespace SkinUI
