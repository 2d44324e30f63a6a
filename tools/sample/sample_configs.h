#pragma once

#include <string>
#include <vector>

#include "sample_node.h"

namespace tarnik::sample {

// The tosser configurations of the node, each describing the echoes (and a pass-through echo
// with the tag passThrough, which readers must skip) in its own way. Paths are relative to
// the node folder.
std::string AreasBbs(const std::vector<EchoSpec>& echoes, const std::string& passThrough);
// Squish stores no JAM bases, so JAM echoes are left out there.
std::string SquishConfig(const std::vector<EchoSpec>& echoes, const std::string& passThrough);
// fidoconfig has no pass-through mark that readers skip, so it lists only stored echoes.
std::string Fidoconfig(const std::vector<EchoSpec>& echoes);
std::string JtConfig(const std::vector<EchoSpec>& echoes, const std::string& passThrough);
// FastEcho's binary configuration: header, an extension block, node records, area records
// (plus a Hudson area and the pass-through one). Its busy flag lives in semaphore/.
std::string FastEchoConfig(const std::vector<EchoSpec>& echoes, const std::string& passThrough);

// Tarnik.Cfg of the sample node: several groups showing the template, the built-in layout,
// an HTML page, a JSON document, standard output, an explicit period and the data file.
// periodFrom and periodTo are "DD.MM.YYYY" texts of the month before the reference date.
std::string SampleTarnikConfig(const SampleOptions& options, const std::string& periodFrom,
                               const std::string& periodTo);
// A configuration with one group over every echo, for the tosser kind and file given.
std::string TosserTarnikConfig(const std::string& kind, const std::string& file,
                               const std::string& pattern, const std::string& report);
// Tarnik-utf8.Cfg of the sample node: one report in UTF-8 of the Russian echoes, whose
// messages come in code page 866, UTF-8 and KOI8-R; its description and its template
// (templates/Default-utf8.Tpl) are written in UTF-8.
std::string Utf8TarnikConfig();
// Tarnik.Cfg of the benchmark: one group per echo with every section on and long lists.
std::string BenchTarnikConfig(const std::vector<EchoSpec>& echoes);

}  // namespace tarnik::sample
