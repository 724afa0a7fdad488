-- Wireshark dissector of the head-end device protocol on UDP port 2007: the 6-byte request and
-- answer header, plain datagrams (transport packets and a 3-byte trailer), numbered fragments,
-- the write reply with its status byte and the short BAT acknowledgement. The transport packets
-- go to Wireshark's own "mp2t" dissector, so the PSI/SI tables (ISO/IEC 13818-1, ETSI EN 300 468)
-- decode too; the data of a fragmented message is put together and handed over whole in the
-- frame of its last fragment.
--
-- Installed by scripts/setup into ~/.local/lib/wireshark/plugins/, or loaded for one run with
--   tshark -X lua_script:quorvelin.lua -r capture.pcap -V

local DEVICE_PORT = 2007
local PACKET = 188
local HEADER = 6
local TRAILER = 3
local FRAGMENT_HEADER = 9
local FRAGMENT_DATA = 1400
local READ, WRITE = 0xA3, 0xA4

-- Loaded twice (installed as a plugin and named with -X lua_script), the first one serves.
local registered, proto = pcall(Proto, "quorvelin", "Head-end device table protocol")
if not registered then return end

local commands = { [READ] = "read", [WRITE] = "write" }
local tables = { [0x0000] = "PAT", [0x0001] = "CAT", [0x0010] = "NIT", [0x0011] = "SDT",
                 [0x0014] = "TDT/TOT", [0xFFFF] = "PMT (numbered by the selector)" }

local f = {
  message = ProtoField.string("quorvelin.message", "Message"),
  sync = ProtoField.uint8("quorvelin.sync", "Sync byte", base.HEX),
  command = ProtoField.uint8("quorvelin.command", "Command", base.HEX, commands),
  status = ProtoField.uint8("quorvelin.status", "Status byte", base.HEX),
  port_index = ProtoField.uint8("quorvelin.port_index", "Port index", base.DEC, nil, nil,
                                "0: port A or channel 1, 1: port B or channel 2, N: channel N + 1"),
  selector = ProtoField.uint8("quorvelin.selector", "Selector", base.DEC, nil, nil,
                              "program index of a PMT; 0 for the fixed tables"),
  pid = ProtoField.uint16("quorvelin.pid", "PID", base.HEX),
  bat = ProtoField.bool("quorvelin.bat_marker", "BAT marker (0x40 in byte 4)"),
  table = ProtoField.string("quorvelin.table", "Table"),
  length = ProtoField.uint16("quorvelin.length", "Length of the packets", base.DEC),
  announced = ProtoField.uint16("quorvelin.announced_packets", "Packets announced", base.DEC),
  framing = ProtoField.string("quorvelin.framing", "Framing"),
  packets = ProtoField.bytes("quorvelin.packets", "Transport packets"),
  packet_count = ProtoField.uint16("quorvelin.packet_count", "Packets in this datagram", base.DEC),
  message_packets = ProtoField.uint16("quorvelin.message_packets", "Packets in the message", base.DEC),
  continues = ProtoField.uint8("quorvelin.continues", "Continuation", base.DEC,
                               { [0] = "last datagram", [1] = "more datagrams follow" }),
  first_packet = ProtoField.uint16("quorvelin.first_packet", "Index of the first packet", base.DEC),
  sequence = ProtoField.uint8("quorvelin.sequence", "Message sequence number", base.DEC),
  fragment_index = ProtoField.uint8("quorvelin.fragment_index", "Fragment", base.DEC),
  fragment_count = ProtoField.uint8("quorvelin.fragment_count", "Fragment count", base.DEC),
  fragment_data = ProtoField.bytes("quorvelin.fragment_data", "Fragment data"),
  reassembled_in = ProtoField.framenum("quorvelin.reassembled_in", "Put together in frame"),
  reassembled_length = ProtoField.uint32("quorvelin.reassembled_length", "Message data length", base.DEC),
  ack = ProtoField.bytes("quorvelin.bat_ack", "BAT acknowledgement"),
  short = ProtoField.bytes("quorvelin.short_reply", "Short reply"),
  request_in = ProtoField.framenum("quorvelin.request_in", "Answers the request in frame"),
}
proto.fields = f

local framing_pref = { auto = 0, plain = 1, fragmented = 2 }
proto.prefs.framing = Pref.enum("Framing", framing_pref.auto,
  "How datagrams of 9 bytes and more are read when both framings would fit",
  { { 1, "auto", framing_pref.auto }, { 2, "plain", framing_pref.plain },
    { 3, "fragmented", framing_pref.fragmented } }, false)

proto.prefs.port = Pref.uint("Device UDP port", DEVICE_PORT, "The UDP port the device answers on")

local mp2t = Dissector.get("mp2t")

-- Fragments waiting for the rest of their message, by direction, header and sequence number;
-- and the data put together, by the number of the frame whose fragment completed it.
local pending = {}
local whole = {}
local completed_in = {}
-- The last request of each client to each device, and the request each answer frame follows
-- (an answer's header carries no PID: its bytes 4 and 5 are the length).
local last_request = {}
local answers = {}

function proto.init()
  pending, whole, completed_in, last_request, answers = {}, {}, {}, {}, {}
end

-- Bytes of the run of transport packets from `offset` (each starting with 0x47).
local function packet_run(tvb, offset, limit)
  local n = 0
  while offset + (n + 1) * PACKET <= limit and tvb(offset + n * PACKET, 1):uint() == 0x47 do n = n + 1 end
  return n * PACKET
end

-- Header, whole packets and a trailer whose first byte is 0 or 1.
local function looks_plain(tvb)
  local len = tvb:len()
  if len < HEADER + TRAILER then return false end
  local run = packet_run(tvb, HEADER, len - TRAILER)
  return HEADER + run + TRAILER == len and tvb(len - TRAILER, 1):uint() <= 1
end

-- Header, sequence number, index 1..count, then at most 1400 bytes; a first fragment's data
-- starts with a packet.
local function looks_fragment(tvb)
  local len = tvb:len()
  if len < FRAGMENT_HEADER or len > FRAGMENT_HEADER + FRAGMENT_DATA then return false end
  local index, count = tvb(7, 1):uint(), tvb(8, 1):uint()
  if index < 1 or index > count then return false end
  return index > 1 or len == FRAGMENT_HEADER or tvb(FRAGMENT_HEADER, 1):uint() == 0x47
end

local function framing_of(tvb)
  local plain, fragment = looks_plain(tvb), looks_fragment(tvb)
  local pref = proto.prefs.framing
  if pref == framing_pref.plain and plain then return "plain" end
  if pref == framing_pref.fragmented and fragment then return "fragmented" end
  if plain and fragment then return tvb:len() == FRAGMENT_HEADER and "fragmented" or "plain" end
  if plain then return "plain" end
  if fragment then return "fragmented" end
  return nil
end

local function table_name(pid, bat)
  if bat then return "BAT" end
  return tables[pid] or string.format("PMT on PID 0x%04x", pid)
end

-- The PID of a request (without the BAT marker) and whether it carries the marker.
local function request_pid(tvb)
  local high, low = tvb(4, 1):uint(), tvb(5, 1):uint()
  if high == 0x40 and low == 0x11 then return 0x0011, true end
  return high * 256 + low, false
end

local function add_packets(tvb, pinfo, root, tree, offset, bytes, count_field)
  if bytes <= 0 then return end
  tree:add(f.packets, tvb(offset, bytes))
  tree:add(count_field or f.packet_count, math.floor(bytes / PACKET)):set_generated()
  if mp2t then mp2t:call(tvb(offset, bytes):tvb(), pinfo, root) end
end

local function add_trailer(tvb, tree)
  local at = tvb:len() - TRAILER
  tree:add(f.continues, tvb(at, 1))
  tree:add(f.first_packet, tvb(at + 1, 2))
end

-- One fragment: its fields, and the message's data handed over when it is the last one missing.
local function add_fragment(tvb, pinfo, root, tree)
  local sequence, index, count = tvb(6, 1):uint(), tvb(7, 1):uint(), tvb(8, 1):uint()
  tree:add(f.sequence, tvb(6, 1))
  tree:add(f.fragment_index, tvb(7, 1))
  tree:add(f.fragment_count, tvb(8, 1))
  local data = tvb:len() - FRAGMENT_HEADER
  if data > 0 then tree:add(f.fragment_data, tvb(FRAGMENT_HEADER, data)) end
  local key = table.concat({ tostring(pinfo.src), pinfo.src_port, tostring(pinfo.dst), pinfo.dst_port,
                             tostring(tvb(0, HEADER):bytes()), sequence }, "|")
  if not pinfo.visited then
    local m = pending[key]
    if index == 1 or not m or m.count ~= count then
      m = { count = count, received = 0, pieces = {} }
      pending[key] = m
    end
    if not m.pieces[index] then
      m.pieces[index] = data > 0 and tvb(FRAGMENT_HEADER, data):bytes() or ByteArray.new()
      m.received = m.received + 1
      m.frames = m.frames or {}
      m.frames[#m.frames + 1] = pinfo.number
    end
    if m.received == count then
      local all = ByteArray.new()
      for i = 1, count do all:append(m.pieces[i]) end
      whole[pinfo.number] = all
      for _, n in ipairs(m.frames) do completed_in[n] = pinfo.number end
      pending[key] = nil
    end
  end
  if completed_in[pinfo.number] then tree:add(f.reassembled_in, completed_in[pinfo.number]):set_generated() end
  local all = whole[pinfo.number]
  if not all then return string.format("fragment %d of %d", index, count) end
  local joined = all:tvb("Message data")
  tree:add(f.reassembled_length, all:len()):set_generated()
  add_packets(joined, pinfo, root, tree, 0, packet_run(joined, 0, joined:len()), f.message_packets)
  return string.format("fragment %d of %d, message of %d bytes", index, count, all:len())
end

local function add_header(tvb, tree, request)
  tree:add(f.sync, tvb(0, 1))
  if request then tree:add(f.command, tvb(1, 1)) else tree:add(f.status, tvb(1, 1)) end
  tree:add(f.port_index, tvb(2, 1))
  tree:add(f.selector, tvb(3, 1))
end

local function dissect_request(tvb, pinfo, root, tree)
  add_header(tvb, tree, true)
  local command = tvb(1, 1):uint()
  local pid, bat = request_pid(tvb)
  tree:add(f.pid, tvb(4, 2), pid)
  tree:add(f.bat, tvb(4, 1), bat)
  local name = table_name(pid, bat)
  tree:add(f.table, name):set_generated()
  if not pinfo.visited then
    last_request[tostring(pinfo.src) .. ":" .. pinfo.src_port .. ">" .. tostring(pinfo.dst)] =
      { frame = pinfo.number, command = tvb(1, 1):uint(), name = name, bat = bat }
  end
  local what = (commands[command] or string.format("command 0x%02x", command)) .. " request"
  local detail = ""
  local len = tvb:len()
  if command == WRITE and len > HEADER then
    local run = packet_run(tvb, HEADER, len)
    if HEADER + run == len then
      tree:add(f.framing, "plain, one datagram"):set_generated()
      add_packets(tvb, pinfo, root, tree, HEADER, run)
      detail = string.format(", %d packets", math.floor(run / PACKET))
    else
      local framing = framing_of(tvb)
      tree:add(f.framing, framing or "unknown"):set_generated()
      if framing == "plain" then
        local bytes = len - HEADER - TRAILER
        add_packets(tvb, pinfo, root, tree, HEADER, bytes)
        add_trailer(tvb, tree)
        detail = string.format(", packets %d to %d", tvb(len - 2, 2):uint(), tvb(len - 2, 2):uint() + math.floor(bytes / PACKET) - 1)
      elseif framing == "fragmented" then
        detail = ", " .. add_fragment(tvb, pinfo, root, tree)
      end
    end
  end
  tree:add(f.message, what):set_generated()
  return string.format("%s, port index %d, %s%s", what, tvb(2, 1):uint(), name, detail)
end

local function dissect_answer(tvb, pinfo, root, tree)
  local len = tvb:len()
  if not pinfo.visited then
    answers[pinfo.number] = last_request[tostring(pinfo.dst) .. ":" .. pinfo.dst_port .. ">" .. tostring(pinfo.src)]
  end
  local request = answers[pinfo.number]
  if request then
    tree:add(f.request_in, request.frame):set_generated()
    tree:add(f.table, request.name):set_generated()
  end
  -- While the BAT is written, a reply of 1 byte and more takes it.
  local ack = request and request.bat and request.command == WRITE
  if len < HEADER then
    tree:add(f.message, ack and "BAT acknowledgement" or "short reply"):set_generated()
    tree:add(ack and f.ack or f.short, tvb(0, len))
    return ack and "BAT acknowledgement" or "short reply (no answer)"
  end
  add_header(tvb, tree, false)
  tree:add(f.length, tvb(4, 2))
  tree:add(f.announced, math.floor(tvb(4, 2):uint() / PACKET)):set_generated()
  local of = request and (", " .. request.name) or ""
  if len == HEADER then
    local what = ack and "BAT acknowledgement" or "write reply"
    tree:add(f.message, what):set_generated()
    return string.format("%s, port index %d%s, status 0x%02x", what, tvb(2, 1):uint(), of, tvb(1, 1):uint())
  end
  local framing = framing_of(tvb)
  tree:add(f.framing, framing or "unknown"):set_generated()
  tree:add(f.message, "read answer"):set_generated()
  local detail = ""
  if framing == "plain" then
    local bytes = len - HEADER - TRAILER
    add_packets(tvb, pinfo, root, tree, HEADER, bytes)
    add_trailer(tvb, tree)
    detail = string.format(", %d packets%s", math.floor(bytes / PACKET),
                           tvb(len - TRAILER, 1):uint() == 1 and ", more follow" or "")
  elseif framing == "fragmented" then
    detail = ", " .. add_fragment(tvb, pinfo, root, tree)
  end
  return string.format("read answer, port index %d%s, %d bytes announced%s", tvb(2, 1):uint(), of,
                       tvb(4, 2):uint(), detail)
end

function proto.dissector(tvb, pinfo, root)
  local len = tvb:len()
  if len == 0 then return 0 end
  local port = proto.prefs.port
  local request = pinfo.dst_port == port and pinfo.src_port ~= port
  local tree = root:add(proto, tvb(0, len))
  if (len < HEADER and request) or (len >= HEADER and tvb(0, 1):uint() ~= 0x47) then
    tree:add_expert_info(PI_MALFORMED, PI_ERROR, "not a frame of the device protocol")
    return len
  end
  local info = request and dissect_request(tvb, pinfo, root, tree) or dissect_answer(tvb, pinfo, root, tree)
  -- Set after the transport stream dissector, which writes its own.
  pinfo.cols.protocol = "QUORVELIN"
  pinfo.cols.info:clear_fence()
  pinfo.cols.info = info
  return len
end

local udp = DissectorTable.get("udp.port")
local current = DEVICE_PORT
udp:add(current, proto)

function proto.prefs_changed()
  if proto.prefs.port == current then return end
  udp:remove(current, proto)
  current = proto.prefs.port
  udp:add(current, proto)
end
