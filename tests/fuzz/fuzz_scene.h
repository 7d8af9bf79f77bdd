// What the scene-level harnesses share: one scene built once, in a scratch
// working directory holding a stand-in grid, with standard output (the
// readers' messages) discarded and every GL call a no-op.
#ifndef PALEOVIZ_TESTS_FUZZ_SCENE_H
#define PALEOVIZ_TESTS_FUZZ_SCENE_H

#include "scene/paleo_scene.h"

#include <cstddef>
#include <cstdint>

// The scene, made on first use in its own folder.
PaleoScene& fuzzScene();
// Writes the input as the named file in the scene's folder.
void writeInput(const char* name, const uint8_t* data, size_t size);

// Makes the scene's folder the working directory for its lifetime: the
// readers take fixed relative names, while libFuzzer reads its corpus by
// paths relative to where it was started.
class InSceneFolder {
public:
    InSceneFolder();
    ~InSceneFolder();
    InSceneFolder(const InSceneFolder&) = delete;
    InSceneFolder& operator=(const InSceneFolder&) = delete;
};

#endif
