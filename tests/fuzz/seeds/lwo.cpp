// Seeds for the object loader: writer-made objects with every chunk kind.
#include "SeedRegistry.h"

#include "tools/lib/Lwo2Writer.h"

VORLUND_SEEDS(fuzz_lwo)
{
    seeds::writeFile(dir / "cube", lwo2Cube());

    Lwo2Writer w;
    w.tags({"Front", "Back"});
    w.layer(0, "", {0, 0, 0});
    w.points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
    w.vmap("TXUV", 2, "UV", {{0, {0, 0}}, {1, {1, 0}}, {2, {1, 1}}, {3, {0, 1}}});
    w.vmap("RGBA", 4, "Paint", {{0, {1, 0, 0, 1}}, {2, {0, 1, 0, 0.5f}}});
    w.vmap("max ", 3, "Max", {{1, {0.25f, 0.5f, 0.75f}}});
    w.vmap("MORF", 3, "Bend", {{2, {0, 0, 1}}});
    w.vmap("WGHT", 1, "Bone", {{3, {0.5f}}});
    w.polygons({{0, 1, 2, 3}, {0, 2, 1}});
    w.polygonTags({0, 1});
    w.vmad("TXUV", 2, "UV", {{0, 0, {0.5f, 0.5f}}});
    w.vmad("RGBA", 4, "Paint", {{2, 1, {0, 0, 1, 1}}});
    w.layer(2, "second", {1, 1, 1}, 0);
    w.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    w.polygons({{0, 1, 2}});
    Lwo2Envelope e;
    e.index = 1;
    e.pre = 1;
    e.post = 2;
    e.name = "Fade";
    e.keys = {{0, 0, "TCB ", {0, 0, 0}}, {1, 1, "HERM", {0, 0}}, {2, 0, "BEZ2", {0, 0, 0, 0}}, {3, 1, "STEP", {}}};
    w.envelope(e);
    w.clipStill(1, "tex.bmp");
    w.clipSequence(2, 3, 1, 3, "img", ".bmp");
    w.clipReference(3, 1, "copy");
    Lwo2Surface front;
    front.name = "Front";
    front.sides = 3;
    front.smoothing = 1.0f;
    front.backSurface = "Back";
    front.vertexColorType = "RGBA";
    front.vertexColorMap = "Paint";
    Lwo2Block image;
    image.image = 1;
    image.vmap = "UV";
    image.aast = 2.0f;
    front.blocks.push_back(image);
    Lwo2Block gradient;
    gradient.type = "GRAD";
    gradient.channel = "TRAN";
    gradient.projection = -1;
    gradient.writeGradientRange = true;
    gradient.gradientEnd = 1.0f;
    gradient.gradientInput = "Slope";
    gradient.gradientKeys = {{0, 0, 0, 0, 1}, {1, 1, 1, 1, 1}};
    gradient.gradientInterpolation = {0, 2};
    front.blocks.push_back(gradient);
    w.surface(front);
    Lwo2Surface back;
    back.name = "Back";
    back.values = {{"TRAN", 0.5f}, {"SPEC", 0.2f}};
    back.reflectionMode = 0;
    w.surface(back);
    seeds::writeFile(dir / "everything", w.finish());
}
