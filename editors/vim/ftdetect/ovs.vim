" Orvinta command scripts.
autocmd BufNewFile,BufRead *.ovs setfiletype ovs
