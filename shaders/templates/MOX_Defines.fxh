// MOX_Defines.fxh - constants and optional switches of the enhancement code.
//
// Offers:
//   M_PI                            3.1415926
//   PBR_LIGHT_INTENSITY_MULTIPLIER  1.5, light scale of the physically based terms
//   MOX_PROCFLORAZORDERFIX          (switch, off) flora alpha discard + depth write
//   MOX_ALPHAMASKOPTIMIZATION       (switch, off) view-facing flora use alpha test
//   MOX_AlphaMaskThreshold          0.5, discard threshold of that switch
//   MOX_NEW2DVEGETATIONSHADING      (switch, off) alternative billboard shading
#ifndef MOX_DEFINES_FXH
#define MOX_DEFINES_FXH

#define M_PI 3.1415926
#define PBR_LIGHT_INTENSITY_MULTIPLIER 1.5

//#define MOX_PROCFLORAZORDERFIX

//#define MOX_ALPHAMASKOPTIMIZATION
#define MOX_AlphaMaskThreshold 0.5

//#define MOX_NEW2DVEGETATIONSHADING

#endif // MOX_DEFINES_FXH
