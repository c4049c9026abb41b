# Two builds of one commit, in any two folders, give the same bytes: no build
# folder in the objects, no link time in a PE header, no date in a gzip. The
# archives' dates come from $SOURCE_DATE_EPOCH, which scripts/package.sh sets
# to the commit's.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
if(WIN32)
  add_link_options(LINKER:--no-insert-timestamp)
endif()

# quillmere_gzip(INPUT OUTPUT): compressed at configure time, as Debian
# compresses its manual pages and changelogs (best, no name, no date).
function(quillmere_gzip input output)
  execute_process(COMMAND gzip -9nc INPUT_FILE ${input} OUTPUT_FILE ${output}
    COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
endfunction()
