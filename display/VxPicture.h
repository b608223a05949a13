// What a picture is, for its colours. The theme's pictures are drawn with the colour key, and their
// JPEGs paint transparency pure blue, which loading turns into the key. A cover keeps every colour (a
// blue sky stays blue) and never turns transparent on the keyed panels it is drawn onto.
#pragma once

enum class VxPicture { Theme, Cover };
