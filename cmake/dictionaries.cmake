# Spelling dictionaries: Debian's hunspell files in the engine's .bdic form. In the build tree
# they sit in qtwebengine_dictionaries beside the programs, where the engine looks first; the
# installed program finds them under share/quillon.

set(QUILLON_DICTIONARIES en-US en-GB en-AU en-CA)
set(QUILLON_HUNSPELL_DIR /usr/share/hunspell CACHE PATH "Where the hunspell dictionaries are")
set(QUILLON_DICTIONARY_DIR ${CMAKE_BINARY_DIR}/qtwebengine_dictionaries)

if(NOT TARGET Qt6::qwebengine_convert_dict)
  message(FATAL_ERROR "Qt's qwebengine_convert_dict is missing (Debian: qt6-webengine-dev-tools)")
endif()

set(bdics)
foreach(language ${QUILLON_DICTIONARIES})
  string(REPLACE "-" "_" hunspell ${language})
  set(source ${QUILLON_HUNSPELL_DIR}/${hunspell})
  if(NOT EXISTS ${source}.dic OR NOT EXISTS ${source}.aff)
    # The spelling test names every dictionary that did not make it into the build.
    message(WARNING "No hunspell dictionary ${source}.dic: ${language} is left out")
    continue()
  endif()
  # The converter names the language after the file, and the engine wants "en-US".
  set(copy ${CMAKE_BINARY_DIR}/hunspell/${language})
  add_custom_command(
    OUTPUT ${QUILLON_DICTIONARY_DIR}/${language}.bdic
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/hunspell ${QUILLON_DICTIONARY_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${source}.dic ${copy}.dic
    COMMAND ${CMAKE_COMMAND} -E copy ${source}.aff ${copy}.aff
    COMMAND Qt6::qwebengine_convert_dict ${copy}.dic ${QUILLON_DICTIONARY_DIR}/${language}.bdic
    DEPENDS ${source}.dic ${source}.aff
    COMMENT "Converting the ${language} spelling dictionary"
    VERBATIM)
  list(APPEND bdics ${QUILLON_DICTIONARY_DIR}/${language}.bdic)
endforeach()
add_custom_target(quillon-dictionaries ALL DEPENDS ${bdics})
add_dependencies(quillon quillon-dictionaries)
set(QUILLON_DICTIONARY_FILES ${bdics})
# The tests check that every one of them was built.
string(REPLACE ";" "," list "${QUILLON_DICTIONARIES}")
target_compile_definitions(quillon_test_support PUBLIC QUILLON_DICTIONARIES="${list}")
# The spelling test compares the words the user adds, as the program writes them, with the
# converter's output.
target_compile_definitions(quillon_test_support PUBLIC
  QUILLON_CONVERT_DICT="$<TARGET_FILE:Qt6::qwebengine_convert_dict>")
