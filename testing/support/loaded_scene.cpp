#include "scene/data_files.h"
#include "loaded_scene.h"

#include "app/shell.h"


double seriesEcc(int j) { return 0.01 + j / 100000.0; }
double seriesPrec(int j) { return j % 360; }
double seriesObl(int j) { return 22 + (j % 100) / 50.0; }

namespace {

int16_t westLand(int, int col) { return col < gridCols / 2 ? 100 : -100; }

SeriesRecord testRecord(int j) { return {seriesEcc(j), seriesPrec(j), seriesObl(j), 0.0f}; }

}  // namespace

void writeSyntheticData(const TestDir& dir)
{
    dir.write(gridFileName, fullGrid(westLand));
    dir.write(seriesFileName, seriesText("synthetic series\ncolumns: kyr e prec obl index\nfor tests",
                                     seriesRecords, testRecord));
    dir.write(logoFileName, std::string(logoBytes, '\x40'));
}

void LoadedSceneTest::SetUp()
{
    writeSyntheticData(dir);
    glrec::reset();
    scene = new PaleoScene();
    scene->loadData();
    theScene = scene;
    windowWidth = 600;
    windowHeight = 600;
    zoomStep = startZoomStep;  // as the entry leaves it
    glrec::reset();
}

void LoadedSceneTest::TearDown()
{
    delete scene;
    theScene = nullptr;
    lastKey = detailStep = 0;
    zoomStep = startZoomStep;
    leftDown = middleDown = scrollPresent = scrollPast = false;
    lastMouseX = lastMouseY = 0;
}
