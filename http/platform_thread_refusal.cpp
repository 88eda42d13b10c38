// The product's StartRefused: a thread start is never refused on purpose. Test programs link
// an object of their own that defines StartRefused (and RefuseStartAfter) in its place. Keep
// this file holding StartRefused alone, or the linker would pull it in beside theirs.
#include "http/platform_thread.h"

bool PlatformThread::StartRefused() {
    return false;
}
