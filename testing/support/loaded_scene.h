// A scene as the program has it after start-up, built in a temporary
// working directory from small synthetic data files, with the stand-in's
// log cleared. Record j of the series: eccentricity 0.01 + j / 100000,
// precession angle j mod 360 degrees, obliquity 22 + (j mod 100) / 50 degrees.
#ifndef PALEOVIZ_TESTS_LOADED_SCENE_H
#define PALEOVIZ_TESTS_LOADED_SCENE_H

#include "gl_recorder.h"
#include "scene/paleo_scene.h"
#include "test_dir.h"

#include <gtest/gtest.h>

double seriesEcc(int j);
double seriesPrec(int j);
double seriesObl(int j);

// Writes partetopo (land west of longitude 180, sea east of it), orbit95b
// with 5800 records and logo.rgba into the current directory.
void writeSyntheticData(const TestDir& dir);

class LoadedSceneTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Mesh step large enough that the globes draw nothing but their axes,
    // for tests that look at everything else.
    void hideGlobeMeshes() { scene->setGlobeStep(gridRows); }

    TestDir dir;
    PaleoScene* scene = nullptr;  // also installed as the shell's theScene
};

#endif
