// A translation unit that includes one header, named by DZ_PROBE_HEADER, with the include roots
// of one library: the layering tests compile it to show which headers that library can reach.
#include DZ_PROBE_HEADER

int dz_layering_probe = 0;
