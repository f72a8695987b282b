// ReducePS and LuminancePS: the frame reduced to 3 x 3, then its average
// luminance in a 1 x 1 target.
#include "preview/PostChainSteps.h"

namespace PostStep {

PostTarget Reduce(const PostTarget& scene) {
    PostTarget out(3, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const double cellU = QuadCoord(x, 3) + 0.5 / 3.0;
            const double cellV = QuadCoord(y, 3) + 0.5 / 3.0;
            float sum[3] = {0, 0, 0};
            for (int ty = 0; ty < 4; ++ty) {
                for (int tx = 0; tx < 4; ++tx) {
                    const double offsetU = ((tx + 0.5) / 4.0 - 0.5) / 3.0;
                    const double offsetV = ((ty + 0.5) / 4.0 - 0.5) / 3.0;
                    float s[3];
                    SampleLinear(scene, LinearTap(cellU + offsetU, scene.width),
                                 LinearTap(cellV + offsetV, scene.height), s);
                    for (int c = 0; c < 3; ++c) sum[c] += s[c];
                }
            }
            for (int c = 0; c < 3; ++c) out.Row(c, y)[x] = ToByte(sum[c] / 16.0f);
        }
    }
    return out;
}

// The shader blends each frame's measurement over the previous frames; for a
// still picture that blend settles on the measurement itself, which is what
// the preview keeps. (In the game the 8-bit target can stop short of it: a
// step of frame time times the distance rounds away below half a level.)
PostTarget Luminance(const PostTarget& reduce) {
    const double c = 0.5, d = 0.625;
    auto read = [&](double u, double v, float weight, float sum[3]) {
        float s[3];
        SampleLinear(reduce, LinearTap(u, reduce.width), LinearTap(v, reduce.height), s);
        for (int k = 0; k < 3; ++k) sum[k] += s[k] * weight;
    };
    float sum[3] = {0, 0, 0};
    read(c, c, 0.2f, sum);
    for (double du : {-d, d})
        for (double dv : {-d, d}) read(c + du, c + dv, 0.08f, sum);
    read(c - d, c, 0.12f, sum);
    read(c + d, c, 0.12f, sum);
    read(c, c - d, 0.12f, sum);
    read(c, c + d, 0.12f, sum);
    float x[3];
    for (int k = 0; k < 3; ++k) {
        x[k] = Saturate(sum[k]);
        x[k] = 8.0f * x[k] * x[k];
    }
    const float luminance = x[0] * 0.3f + x[1] * 0.59f + x[2] * 0.11f;
    PostTarget out(1, 1);
    for (int k = 0; k < 3; ++k) out.Row(k, 0)[0] = ToByte(luminance);
    return out;
}

}  // namespace PostStep
