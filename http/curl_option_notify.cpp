// The product's Notify: nothing observes the options. Test programs link an object of their
// own that defines Notify (and Observe) in its place, so the observation hook never reaches
// loader.exe. Keep this file holding Notify alone, or the linker would pull it in beside theirs.
#include "http/curl_option_seam.h"

void CurlOptionSeam::Notify(CURL*, CURLoption, long, const char*, const void*) {}
