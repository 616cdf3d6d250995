-- wrk: each request a path drawn at random from the file named by the first argument after --.
local paths = {}

function init(args)
    for line in io.lines(args[1]) do
        paths[#paths + 1] = line
    end
    -- Each wrk thread has its own Lua state: seed each differently.
    math.randomseed(os.time() + tonumber(tostring(paths):match("0x(%x+)") or "0", 16) % 100000)
end

function request()
    return wrk.format("GET", paths[math.random(#paths)])
end
