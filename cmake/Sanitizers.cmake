# -DVELTRANE_SANITIZE=address,undefined or -DVELTRANE_SANITIZE=thread instruments every target.
if(VELTRANE_SANITIZE)
  add_compile_options(-fsanitize=${VELTRANE_SANITIZE} -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${VELTRANE_SANITIZE})
  if(VELTRANE_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()
