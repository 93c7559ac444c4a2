# The synonym dictionary rix_lib.syn, converted by scripts/synonyms.py at build
# time: from the package that scripts/setup.sh fetched into .cache/, or from
# the committed sample when it could not be had. The sample (for the tests)
# and the converter's small test input are converted always.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(RIX_SYNONYM_DIR ${CMAKE_BINARY_DIR}/synonyms)
set(syn_cache ${CMAKE_SOURCE_DIR}/.cache)
# Rewritten by the fetch only when what .cache holds changes.
set(syn_state ${syn_cache}/synonyms.state)
if(NOT EXISTS ${syn_state})
  file(WRITE ${syn_state} "sample\n")
endif()
set(syn_script ${CMAKE_SOURCE_DIR}/scripts/synonyms.py)
set(syn_header ${CMAKE_SOURCE_DIR}/aids/synonym_scramble.h)
set(syn_licence ${CMAKE_SOURCE_DIR}/scripts/synonyms/LICENSE-Apache-2.0.txt)
set(syn_sample ${CMAKE_SOURCE_DIR}/scripts/synonyms/sample.json)
set(syn_small ${CMAKE_SOURCE_DIR}/tests/data/synonyms/small.json)
set(syn_convert ${Python3_EXECUTABLE} ${syn_script} convert --header ${syn_header} --licence ${syn_licence})

add_custom_command(
  OUTPUT ${RIX_SYNONYM_DIR}/rix_lib.syn ${RIX_SYNONYM_DIR}/rix_lib_LICENSE.txt ${RIX_SYNONYM_DIR}/rix_lib_NOTICE.txt
  COMMAND ${syn_convert} --sample ${syn_sample} --package ${syn_cache}/sudachi-synonyms-dictionary-18.0.0.tgz
          --out ${RIX_SYNONYM_DIR}
  DEPENDS ${syn_script} ${syn_header} ${syn_licence} ${syn_sample} ${syn_state}
  COMMENT "Converting the synonym dictionary")
add_custom_command(
  OUTPUT ${RIX_SYNONYM_DIR}/sample/rix_lib.syn ${RIX_SYNONYM_DIR}/small/rix_lib.syn
  COMMAND ${syn_convert} --sample ${syn_sample} --out ${RIX_SYNONYM_DIR}/sample
  COMMAND ${syn_convert} --sample ${syn_small} --out ${RIX_SYNONYM_DIR}/small
  DEPENDS ${syn_script} ${syn_header} ${syn_licence} ${syn_sample} ${syn_small}
  COMMENT "Converting the sample synonym dictionaries")
add_custom_target(rix_synonyms ALL DEPENDS ${RIX_SYNONYM_DIR}/rix_lib.syn ${RIX_SYNONYM_DIR}/sample/rix_lib.syn)
configure_file(cmake/rix_synonym_paths.h.in ${CMAKE_BINARY_DIR}/generated/rix_synonym_paths.h @ONLY)
