#include "scene/paleo_scene.h"

#include "math/constants.h"

#include <initializer_list>

using math::pi;

namespace {

constexpr double startRotX = -60.0;

// A globe that cannot be allocated is left null; the scene goes on without it.
Globe* makeGlobe(int season, const char* gridPath)
{
    return createGlobe(season, gridPath);
}

}  // namespace

PaleoScene::PaleoScene(const char* gridPath)
    : globeJune(nullptr),
      globeMarch(nullptr),
      globeSeptember(nullptr),
      globeDecember(nullptr),
      eccSeries(nullptr),
      precSeries(nullptr),
      oblSeries(nullptr),
      ecc(referenceEcc),
      prec(referencePrec),
      obl(referenceObl),
      recordCount(1),
      timeIndex(0),
      rotX(startRotX),
      rotY(0.0),
      rotZ(0.0),
      spin(0),
      zoom(0.0),
      showPrec(true),
      showEcc(true),
      showObl(true),
      semiMajorAxis(800),
      logoTexture(0),
      showLogo(true),
      autoAdvance(false)
{
    globeMarch = makeGlobe(seasonMarch, gridPath);
    globeJune = makeGlobe(seasonJune, gridPath);
    globeSeptember = makeGlobe(seasonSeptember, gridPath);
    globeDecember = makeGlobe(seasonDecember, gridPath);
}

PaleoScene::~PaleoScene()
{
    destroyGlobe(globeJune);
    destroyGlobe(globeMarch);
    destroyGlobe(globeSeptember);
    destroyGlobe(globeDecember);
    delete[] eccSeries;
    delete[] precSeries;
    delete[] oblSeries;
}

void PaleoScene::updateCurrentValues()
{
    ecc = referenceEcc;
    prec = referencePrec;
    obl = referenceObl;
    // Until the series are read the reference values stand for every element.
    if (showPrec && holdGiven)
        prec = heldPrec;
    else if (showPrec && precSeries != nullptr)
        prec = precSeries[timeIndex];
    if (showEcc && holdGiven)
        ecc = heldEcc;
    else if (showEcc && eccSeries != nullptr)
        ecc = eccSeries[timeIndex];
    if (showObl && holdGiven)
        obl = heldObl;
    else if (showObl && oblSeries != nullptr)
        obl = oblSeries[timeIndex];
    const double omega = degToRad(prec) + pi;
    const double e = ecc;
    const double eps = degToRad(obl);
    pushOrbitToGlobes(omega, e, eps);
}

void PaleoScene::pushOrbitToGlobes(double omega, double e, double eps)
{
    const float omegaF = static_cast<float>(omega);
    const float eF = static_cast<float>(e);
    const float epsF = static_cast<float>(eps);
    for (Globe* g : {globeJune, globeMarch, globeDecember, globeSeptember}) {
        if (g == nullptr)
            continue;
        g->setOmega(omegaF);
        g->setEccentricity(eF);
        g->setObliquity(epsF);
    }
}

void PaleoScene::holdElements(double e, double precDegrees, double oblDegrees)
{
    holdGiven = true;
    heldEcc = e;
    heldPrec = precDegrees;
    heldObl = oblDegrees;
    updateCurrentValues();
}

void PaleoScene::releaseElements()
{
    holdGiven = false;
    updateCurrentValues();
}

void PaleoScene::setCapsByValue(bool byValue)
{
    for (Globe* g : {globeJune, globeMarch, globeDecember, globeSeptember})
        if (g != nullptr)
            g->capsByValue = byValue;
}

void PaleoScene::enableAllSeries()
{
    showPrec = true;
    showEcc = true;
    showObl = true;
    updateCurrentValues();
}

void PaleoScene::setGlobeStep(int n)
{
    for (Globe* g : {globeJune, globeMarch, globeDecember, globeSeptember})
        if (g != nullptr)
            g->setStep(n);
}

void PaleoScene::advanceTime(int n)
{
    timeIndex += n;
    clampTime();
}

void PaleoScene::clampTime()
{
    if (timeIndex < 0)
        timeIndex = 0;
    if (timeIndex >= recordCount)
        timeIndex = recordCount - 1;
}

void PaleoScene::setTimeFromAxis(int v)
{
    timeIndex = -v;
    clampTime();
}

void PaleoScene::changeZoom(int n)
{
    zoom += n;
    if (!(zoom >= 0.0))
        zoom = 0.0;
    if (zoom > maxZoom)
        zoom = maxZoom;
}

double PaleoScene::degToRad(double degrees)
{
    return degrees * pi / 180;
}

void PaleoScene::toggleAutoAdvance()
{
    if (autoAdvance) {
        autoAdvance = false;
        setGlobeStep(normalStep);
    } else {
        autoAdvance = true;
        setGlobeStep(autoAdvanceStep);
    }
}

void PaleoScene::resetView()
{
    timeIndex = 0;
    rotX = startRotX;
    rotY = 0.0;
    rotZ = 0.0;
    spin = 0;
    zoom = 0.0;
    showPrec = showEcc = showObl = true;
    showLogo = true;
    autoAdvance = false;
    updateCurrentValues();
}
