// Stands before the system's commctrl.h on the portable core's include path: the
// core reaches the platform only through the interfaces in ports/.
#error "The portable core must not include <commctrl.h>; add a port in ports/ and an adapter in platform/."
