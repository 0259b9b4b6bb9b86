// Compiled once as it stands and once with ZR_PROBE_FORBIDDEN_HEADER naming a header the
// probe's layer must not see; the second compile has to fail.
#include ZR_PROBE_ALLOWED_HEADER
#ifdef ZR_PROBE_FORBIDDEN_HEADER
#include ZR_PROBE_FORBIDDEN_HEADER
#endif

int ZrLayerProbe()
{
    return 0;
}
