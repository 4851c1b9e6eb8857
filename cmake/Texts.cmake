# vellicor_add_texts(TARGET TS_FILE): a small library holding the compiled ID-based texts of one
# catalog, installed at run time by its base name (InstallTranslations).
function(vellicor_add_texts target ts_file)
  add_library(${target} STATIC ${PROJECT_SOURCE_DIR}/cmake/TextsAnchor.cpp)
  target_link_libraries(${target} PUBLIC Qt6::Core)
  qt_add_translations(${target}
    TS_FILES ${ts_file}
    RESOURCE_PREFIX /i18n
    LRELEASE_OPTIONS -idbased -silent
  )
endfunction()
