// The modes' shared cover buttons and timers. The cover codes are the browse mode's places, so a
// click on a cover acts in every mode exactly as in the browse mode.
#include "modes/Mode_support.h"

#include "display/VxDirectX.h"
#include "modes/Mode_ids.h"
#include "modes/Mode_images.h"
#include "modes/VxModeBrowse.h"
#include "platform/window.h"

namespace Mode_support {

VxMode_images* Images() { return VxDirectX::Instance().Is_initialised() ? &VxMode_images::Instance() : nullptr; }

bool Is_cover_code(int code) { return code >= Code_cover_first && code < Code_cover_first + 6; }

bool Open_cover(VxModeBrowse* browse, int code) {
    if (!Is_cover_code(code) || !browse) return false;
    return browse->Open_album(code - Code_cover_first);
}

void Start_timer(unsigned id, unsigned period_ms) { Platform::Message_queue::Instance().Set_timer(id, period_ms); }
void Stop_timer(unsigned id) { Platform::Message_queue::Instance().Kill_timer(id); }

}  // namespace Mode_support
