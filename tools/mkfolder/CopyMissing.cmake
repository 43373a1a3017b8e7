# Copies each file of FROM into TO unless TO already has a file of that name.
file(GLOB files ${FROM}/*)
foreach(f ${files})
    get_filename_component(name ${f} NAME)
    if(NOT EXISTS ${TO}/${name})
        file(COPY ${f} DESTINATION ${TO})
    endif()
endforeach()
