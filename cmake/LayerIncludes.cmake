# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source includes a header of a layer above its own. Each rule
# names a layer's files and the include paths they may use; the first rule a
# file matches is its layer. Run at build time with SOURCE_DIR and STAMP set.
set(rules
  # files (regex on the path)                          may include (regex on the include)
  "^link/"                                             "^link/"
  "^settings/(SettingsStore|PortSettings|RecordServerSetting)\\."  "^link/|^settings/(SettingsStore|PortSettings|RecordServerSetting)\\."
  # velor-record's main reads its settings and writes reports; the rest of
  # record/ is told the settings and knows nothing of reports.
  "^record/main\\.cpp$"                                "^(link|record|report)/|^settings/(SettingsStore|PortSettings|RecordServerSetting)\\.|^params/(ParamCatalogue|ParamFile|WholeFile|ParamSet)\\.|^res/StringTable\\."
  "^params/(ParamCatalogue|ParamFile|WholeFile|ParamSet)\\."  "^(params/(ParamCatalogue|ParamFile|WholeFile|ParamSet)|res/StringTable)\\."
  "^record/"                                           "^(link|record)/|^params/(ParamCatalogue|ParamFile|WholeFile|ParamSet)\\.|^res/StringTable\\."
  "^res/StringTable\\."                                "^res/StringTable\\."
  "^report/"                                           "^(link|record|report)/|^settings/SettingsStore\\.|^params/(ParamCatalogue|ParamFile|WholeFile|ParamSet)\\.|^res/StringTable\\."
  "^sim/"                                              "^(link|sim)/|^params/ParamCatalogue\\.|^res/StringTable\\."
  "^(ui|res)/"                                         "^(link|ui|res)/"
  "^dialogs/"                                          "^(link|ui|res|pages|params|dialogs|settings|record|report)/"
  "^(pages|params|dialogs|settings)/"                  "^(link|ui|res|pages|params|dialogs|settings|record)/"
)
list(LENGTH rules count)
math(EXPR last "${count} - 1")

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/link/* ${SOURCE_DIR}/settings/* ${SOURCE_DIR}/params/* ${SOURCE_DIR}/res/*
  ${SOURCE_DIR}/sim/* ${SOURCE_DIR}/record/* ${SOURCE_DIR}/report/* ${SOURCE_DIR}/ui/* ${SOURCE_DIR}/pages/* ${SOURCE_DIR}/dialogs/*)
list(FILTER sources INCLUDE REGEX "\\.(cpp|h)$")

set(violations "")
foreach(source ${sources})
  set(allowed "")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET rules ${i} files)
    if(source MATCHES "${files}")
      list(GET rules ${j} allowed)
      break()
    endif()
  endforeach()
  if(allowed STREQUAL "")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
    # A header beside the source, named without its folder, is the source's own layer.
    if(NOT header MATCHES "/" OR header MATCHES "${allowed}")
      continue()
    endif()
    string(APPEND violations "  ${source}: #include \"${header}\"\n")
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "These includes reach up the layers:\n${violations}")
endif()
file(WRITE ${STAMP} "")
