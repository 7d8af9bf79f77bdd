// The libraries' constants and limits, read once from the module when it
// has loaded (paleoviz_constants, described in web/main.cpp), so that the
// page restates none of them: solarConstant, yearDays, equinoxDay,
// seriesRecords, panelRecords, the ranges [lowest, highest] latitude,
// longitude, day, eccentricity (highest excluded) and obliquity, and the
// globes' palette: paletteSize entries of paletteStep W/m² each.
export const constants = {};

export function readConstants(module) {
  Object.assign(constants, JSON.parse(module.UTF8ToString(module._paleoviz_constants())));
}

// "" when the elements (e, obliquity and ϖ in degrees) may describe an
// orbit, else the libraries' message saying what is wrong.
export function elementsProblem(module, e, obl, varpi) {
  return module.UTF8ToString(module._paleoviz_elements_problem(e, obl, varpi));
}
