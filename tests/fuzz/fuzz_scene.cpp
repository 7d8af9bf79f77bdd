#include "scene/data_files.h"
#include "fuzz_scene.h"

#include "gl_recorder.h"
#include "scratch_dir.h"
#include "synthetic_data.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// Live for the whole fuzzing run: the folder, then the scene inside it.
std::unique_ptr<ScratchDir> folder;
std::unique_ptr<PaleoScene> scene;
std::string startFolder;

}  // namespace

PaleoScene& fuzzScene()
{
    if (!scene) {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) == nullptr)
            std::abort();
        startFolder = cwd;
        folder = std::make_unique<ScratchDir>("paleoviz-fuzz");
        if (folder->path().empty() || !folder->write(gridFileName, standInGrid()))
            std::abort();
        if (std::freopen("/dev/null", "w", stdout) == nullptr)
            std::abort();
        glrec::setRecording(false);
        InSceneFolder inside;
        scene = std::make_unique<PaleoScene>();
    }
    return *scene;
}

void writeInput(const char* name, const uint8_t* data, size_t size)
{
    if (!folder->write(name, std::string(reinterpret_cast<const char*>(data), size)))
        std::abort();
}

InSceneFolder::InSceneFolder()
{
    if (chdir(folder->path().c_str()) != 0)
        std::abort();
}

InSceneFolder::~InSceneFolder()
{
    if (chdir(startFolder.c_str()) != 0)
        std::abort();
}
