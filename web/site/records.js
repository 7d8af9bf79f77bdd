// The climate records set beside the orbital forcing, read from the files
// shipped unchanged in data/: each becomes {name, units, age_kyr, values,
// citation}, ages in kyr before the present (1950), oldest last as in the
// files. The page keeps them as window.paleoviz.records, in this order.
import { state } from "./page_state.js";

// Rows of numbers from a text: comment lines (#), the column names and
// blank lines are skipped, and so is any row whose chosen columns are not
// numbers ("nan" marks a missing value; it is never read as zero).
function numericRows(text, ageColumn, valueColumn) {
  const rows = [];
  for (const line of text.replace(/^\uFEFF/, "").split(/\r?\n/)) {
    if (line.trim() === "" || line.trimStart().startsWith("#")) continue;
    const cells = line.trim().split(/\s+/);
    const age = Number(cells[ageColumn]), value = Number(cells[valueColumn]);
    if (cells[ageColumn] !== undefined && Number.isFinite(age) && Number.isFinite(value)) rows.push([age, value]);
  }
  return rows;
}

// What each file holds: its columns, the units of its ages (ka or years)
// and of its values, and its citation.
export const recordFiles = [
  { file: "lr04-stack.txt", name: "LR04 benthic δ¹⁸O", short: "LR04", units: "‰", age: 0, value: 1, agePerKyr: 1,
    invert: true, colour: "#6cf",
    citation: "Lisiecki, L. E. and Raymo, M. E. (2005), A Pliocene-Pleistocene stack of 57 globally distributed " +
      "benthic δ¹⁸O records, Paleoceanography 20, PA1003, doi:10.1029/2004PA001071" },
  { file: "antarctica2015-co2-composite.txt", name: "Antarctic ice-core CO₂", short: "CO₂", units: "ppmv",
    age: 0, value: 1, agePerKyr: 1000, invert: false, colour: "#9d6",
    citation: "Bereiter, B. et al. (2015), Revision of the EPICA Dome C CO2 record from 800 to 600 kyr before " +
      "present, Geophysical Research Letters 42, 542–549, doi:10.1002/2014GL061957 (NOAA/WDS Paleoclimatology)" },
  { file: "edc3-deuterium-temperature-2007.txt", name: "EPICA Dome C temperature", short: "EDC ΔT", units: "°C",
    age: 2, value: 4, agePerKyr: 1000, invert: false, colour: "#e8c",
    citation: "Jouzel, J. et al. (2007), Orbital and millennial Antarctic climate variability over the past " +
      "800,000 years, Science 317, 793–796, doi:10.1126/science.1141038 (NOAA/WDS Paleoclimatology; EDC3 ages, " +
      "temperature against the mean of the last 1000 years)" },
];

// One record from its file's text.
export function parseRecord(file, text) {
  const rows = numericRows(text, file.age, file.value);
  return { name: file.name, units: file.units, age_kyr: rows.map(([a]) => a / file.agePerKyr),
           values: rows.map(([, v]) => v), citation: file.citation };
}

// Reads the records; `done` runs once they are all in (a file that cannot
// be read gives a record without rows, and the chart says so).
export function loadRecords(done) {
  state.records = [];
  Promise.all(recordFiles.map((file) => fetch("data/" + file.file)
    .then((r) => (r.ok ? r.text() : ""), () => "")
    .then((text) => parseRecord(file, text))))
    .then((records) => { state.records = records; done(); });
}
