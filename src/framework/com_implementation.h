// Included by the files that implement COM interfaces. A COM object is deleted by its own
// Release, never through an interface pointer, and the interfaces come from the system's headers
// without virtual destructors by design: the compiler's check for polymorphic classes without a
// virtual destructor says nothing true about these translation units.
#pragma once

#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
