#include "framecost.h"

#include "benchreport.h"
#include "benchstage.h"
#include "referencerenderer.h"

#include <algorithm>

namespace bench {

namespace {

// The frames of one case, from all passes.
struct Samples
{
    std::vector<double> product;
    std::vector<double> cpu;
    std::vector<double> drag;
    std::vector<double> reference;
    std::vector<double> floor;
};

// Qt keeps the glyphs of every font size it has drawn, for the whole
// process: whoever draws a size first pays for making them. A stage of its
// own draws every scale once beforehand, so that neither the product nor the
// reference pays for them in any case; the product's own label layouts,
// cells and tiles start empty all the same.
void warmUpGlyphs(const ViewSize &size, const std::vector<NamedScale> &scales)
{
    BenchStage warmUp(size);
    std::vector<double> ignored;
    for (const NamedScale &scale : scales) {
        warmUp.setScale(scale.second);
        warmUp.measure(nullptr, 1, &ignored);
    }
}

} // namespace

SizeCases measureFrameCost(const ViewSize &size, const Options &options)
{
    const std::vector<NamedScale> scales = scalesToRun(options);
    warmUpGlyphs(size, scales);
    // The measured stage opens at the start scale, as the program does, so
    // that the first case is a zoom step like any other.
    BenchStage stage(size);
    {
        std::vector<double> ignored;
        stage.setScale(Timeline::StartScale);
        stage.measure(nullptr, 1, &ignored);
    }
    ReferenceRenderer reference(ReferenceRenderer::Mode::AllCells);
    ReferenceRenderer floor(ReferenceRenderer::Mode::BackgroundsOnly);
    SizeCases cases(scales.size());
    std::vector<Samples> samples(scales.size());
    // The frames of each case are taken in a few passes over the whole
    // sweep, so that a spell in which the machine runs slower (other work on
    // the same processors, a lower clock) spreads over many cases instead of
    // deciding one.
    const int passes = std::min(options.passes, options.frames);
    for (int pass = 0; pass < passes; ++pass) {
        const int frames = options.frames / passes + (pass < options.frames % passes ? 1 : 0);
        for (size_t i = 0; i < scales.size(); ++i) {
            Case &c = cases[i];
            Samples &s = samples[i];
            stage.setScale(scales[i].second);
            stage.measure(nullptr, frames, &s.product, pass == 0 ? &c.firstMs : nullptr, &s.cpu);
            c.cells = stage.segment().cellsDrawn();
            // One drag gesture of all the frames, as the user makes it: its
            // first frames make the tiles that come into view.
            if (pass == 0)
                stage.measureDrag(options.frames, &s.drag);
            c.referenceCells = c.cells;
            if (options.yardsticks) {
                stage.measure(&reference, frames, &s.reference);
                c.referenceCells = reference.cellsDrawn();
                stage.measure(&floor, frames, &s.floor);
            }
        }
    }
    for (size_t i = 0; i < scales.size(); ++i) {
        Case &c = cases[i];
        c.name = scales[i].first;
        c.view = size;
        c.scale = scales[i].second;
        c.ms = median(samples[i].product);
        c.cpuMs = median(samples[i].cpu);
        c.dragMs = median(samples[i].drag);
        c.referenceMs = median(samples[i].reference);
        c.floorMs = median(samples[i].floor);
        printCase(c);
    }
    return cases;
}

} // namespace bench
