# Copies a module file's first half: a module cut short, as a broken download or a full disk leaves it.
file(SIZE ${MODULE} bytes)
math(EXPR halfBytes "${bytes} / 2")
get_filename_component(folder ${COPY} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
execute_process(COMMAND head -c ${halfBytes} ${MODULE} OUTPUT_FILE ${COPY} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${MODULE}: could not copy its first ${halfBytes} bytes")
endif()
